// A Qt host program: makes its own application object (a QApplication, or a
// QCoreApplication with "core" first) with names of its own, then runs the
// commands of its command line and prints each result as "label=[text]".
//
//   names            application and organisation names and domain, and whether
//                    the host's application object is still the one
//   locale           the default locale's name
//   tr CONTEXT TEXT  the installed translators' text
//   style NAME       Kirr_findStyleElement
//   about | support | splash | update | help   the window exports
#include <KirrFramework/KirrFrameworkAPI.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>

#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    const bool core = argc > 1 && std::strcmp(argv[1], "core") == 0;
    std::unique_ptr<QCoreApplication> app(core ? new QCoreApplication(argc, argv) : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("hostapp"));
    QCoreApplication::setOrganizationName(QStringLiteral("HostOrg"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("host.example"));

    QTextStream out(stdout);
    const auto show = [&out](const QString& label, const QString& text) {
        out << label << "=[" << text << "]\n";
        out.flush();
    };
    const QStringList arguments = QCoreApplication::arguments().mid(core ? 2 : 1);
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& command = arguments[i];
        if (command == QLatin1String("names")) {
            Kirr_getAppContentPath();
            show(QStringLiteral("application"), QCoreApplication::applicationName());
            show(QStringLiteral("organisation"), QCoreApplication::organizationName());
            show(QStringLiteral("domain"), QCoreApplication::organizationDomain());
            show(QStringLiteral("same"), QCoreApplication::instance() == app.get() ? QStringLiteral("yes")
                                                                                   : QStringLiteral("no"));
        } else if (command == QLatin1String("locale")) {
            Kirr_getAppContentPath();
            show(QStringLiteral("locale"), QLocale().name());
        } else if (command == QLatin1String("tr") && i + 2 < arguments.size()) {
            Kirr_getAppContentPath();
            const QByteArray context = arguments[i + 1].toUtf8();
            const QByteArray text = arguments[i + 2].toUtf8();
            show(arguments[i + 2], QCoreApplication::translate(context.constData(), text.constData()));
            i += 2;
        } else if (command == QLatin1String("style") && i + 1 < arguments.size()) {
            show(arguments[i + 1], QString::fromUtf8(Kirr_findStyleElement(arguments[i + 1].toUtf8().constData())));
            i += 1;
        } else if (command == QLatin1String("about")) {
            Kirr_aboutPanel("2.0.0");
            show(command, QStringLiteral("returned"));
        } else if (command == QLatin1String("support")) {
            Kirr_showSupport("2.0.0");
            show(command, QStringLiteral("returned"));
        } else if (command == QLatin1String("splash")) {
            Kirr_splashPanel();
            show(command, QStringLiteral("returned"));
        } else if (command == QLatin1String("update")) {
            Kirr_searchUpdate();
            show(command, QStringLiteral("returned"));
        } else if (command == QLatin1String("help")) {
            Kirr_showHelp();
            show(command, QStringLiteral("returned"));
        } else {
            QTextStream(stderr) << "qt_host: unknown command " << command << "\n";
            return 2;
        }
    }
    return 0;
}
