#include "app/pq_Application.h"

#include "AppLogging.h"
#include "settings/pq_PreferencesDialog.h"
#include "settings/pq_Settings.h"
#include "platform/program_folders.h"

#include <KirrFramework/KirrFrameworkAPI.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>

const char* const pq_profilerVersion = "2.0.0";

namespace {

// Installed translators live until the process ends; the list keeps them
// reachable.
QList<QTranslator*>& keptTranslators()
{
    static auto* translators = new QList<QTranslator*>;
    return *translators;
}

// Loads exactly the file at path; QTranslator would otherwise also try
// shortened forms of the name.
bool loadExactly(QTranslator* translator, const QString& path)
{
    return QFileInfo(path).isFile()
           && translator->load(path, QString(), QStringLiteral("\x01"), QStringLiteral(""));
}

// The system's language, "en" when the system locale names none ("C").
QString systemLanguage()
{
    const QString code = QLocale::system().name().left(2);
    return pq_isLanguageCode(code) ? code : QStringLiteral("en");
}

}  // namespace

pq_Application::pq_Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Vandrelith"));
    setOrganizationDomain(QStringLiteral("vandrelith.example"));
    setApplicationName(QStringLiteral("pelto5"));
    setApplicationDisplayName(QStringLiteral("pelto 5"));
    setApplicationVersion(QStringLiteral("5.1.1"));
    setupTranslators();
}

pq_Application::~pq_Application()
{
    pq_Settings::destroyInstance();
}

void pq_Application::setupTranslators()
{
    pq_Settings* settings = pq_Settings::instance();
    QString language = settings->language();
    if (language.isEmpty()) {
        language = systemLanguage();
        settings->setLanguage(language);
    }
    QLocale::setDefault(QLocale(language));
    qCDebug(lcAppStartup, "main::actual locale: <%s>", qUtf8Printable(language));

    const QString resources = platform::resourcesFolderPath();
    if (language != QLatin1String("en")) {
        const QStringList files = QDir(resources).entryList({QStringLiteral("qt*_%1.qm").arg(language)},
                                                            QDir::Files, QDir::Unsorted);
        for (const QString& file : files) {
            const QString path = resources + QLatin1Char('/') + file;
            auto* translator = new QTranslator;
            keptTranslators().append(translator);
            if (loadExactly(translator, path))
                installTranslator(translator);
            else
                qCDebug(lcAppStartup, "failed to load qt-translator <%s>", qUtf8Printable(path));
        }
    }

    auto* translator = new QTranslator;
    keptTranslators().append(translator);
    const QString stem = resources + QStringLiteral("/pelto_");
    if (loadExactly(translator, stem + language + QStringLiteral(".qm"))) {
        installTranslator(translator);
        return;
    }
    qCDebug(lcAppStartup, "failed to load pelto-translator <%s>", qUtf8Printable(stem + language));
    if (loadExactly(translator, stem + QStringLiteral("en.qm")))
        installTranslator(translator);
}

void pq_Application::catchActionAbout()
{
    Kirr_aboutPanel(pq_profilerVersion);
}

void pq_Application::catchActionHelp()
{
    Kirr_showHelp();
}

void pq_Application::catchActionPreferences()
{
    pq_PreferencesDialog dialog(nullptr);
    dialog.exec();
}

void pq_Application::catchActionQuit()
{
    QCoreApplication::quit();
}

void pq_Application::catchActionSupport()
{
    Kirr_showSupport(pq_profilerVersion);
}

void pq_Application::catchActionUpdate()
{
    Kirr_searchUpdate();
}

void pq_Application::catchActionSwitchIntro()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    const bool show = action->isChecked();
    pq_Settings::instance()->setShowIntro(show);
    emit setShowIntroMessage(show);
}

bool pq_showSplashAtStart(int argc)
{
    if (argc != 1)
        return false;
    Kirr_splashPanel();
    return true;
}
