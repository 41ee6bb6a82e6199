// The about box, the splash screen, the support dialog and the system
// description, offscreen.
#include "AboutDialog.h"
#include "KirrFramework.h"
#include "SplashScreen.h"
#include "SupportDialog.h"
#include "SystemInfo.h"
#include "TestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QSysInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

#include <functional>

using Elements = QList<QPair<QString, QString>>;

namespace {

// Runs inspect on the next modal dialog as soon as it shows, then closes it.
void whenModal(std::function<void(QDialog*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        inspect(dialog);
        dialog->reject();
    });
}

// The href of the first anchor of a rich text (an anchor without text is no
// fragment of a text document, so it is read from the markup).
QString firstAnchor(const QString& html)
{
    static const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\">"));
    QString href = anchor.match(html).captured(1);
    href.replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return href;
}

QPixmap picture(bool transparent)
{
    QImage image(40, 30, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(transparent ? Qt::transparent : Qt::darkCyan);
    if (transparent) {
        QPainter painter(&image);
        painter.fillRect(5, 5, 30, 20, Qt::darkCyan);
    }
    return QPixmap::fromImage(image);
}

}  // namespace

class PanelsTest : public QObject {
    Q_OBJECT

private slots:
    void aboutTexts_data();
    void aboutTexts();
    void aboutWindow();
    void aboutPanel_data();
    void aboutPanel();
    void splashTimer();
    void splashMask_data();
    void splashMask();
    void supportTexts_data();
    void supportTexts();
    void supportMail_data();
    void supportMail();
    void supportMarkupInValues();
    void bitness_data();
    void bitness();
    void osDescriptionShape();

private:
    QString program(const Elements& style)
    {
        m_programs.append(std::make_shared<QTemporaryDir>());
        writeFile(m_programs.last()->path() + QStringLiteral("/Resources/style.xml"), styleXml(style));
        return m_programs.last()->path();
    }
    QList<std::shared_ptr<QTemporaryDir>> m_programs;
};

void PanelsTest::aboutTexts_data()
{
    QTest::addColumn<QString>("profilerVersion");
    QTest::addColumn<QString>("expected");
    QTest::newRow("with a profiler version") << "2.0.0" << "Version: 5.1.1, build 42\nProfiler version: 2.0.0";
    QTest::newRow("without") << "" << "Version: 5.1.1, build 42\n";
}

void PanelsTest::aboutTexts()
{
    QFETCH(QString, profilerVersion);
    QFETCH(QString, expected);
    AboutDialog box(nullptr, QString());
    box.setTexts(QStringLiteral("Vend"), QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("42"),
                 profilerVersion, QStringLiteral("&copy; <i>Vend</i>"));
    QCOMPARE(box.label_2->text(), QStringLiteral("Vend prod"));
    QCOMPARE(box.label_3->text(), expected);
    QCOMPARE(box.label_4->text(), QStringLiteral("&copy; <i>Vend</i>"));
    QCOMPARE(box.label_4->textFormat(), Qt::RichText);
    QCOMPARE(box.label_2->font().pixelSize(), 16);
    QCOMPARE(box.label_3->font().pixelSize(), 12);
}

void PanelsTest::aboutWindow()
{
    AboutDialog box(nullptr, QString());
    QCOMPARE(box.minimumSize(), QSize(280, 200));
    QCOMPARE(box.maximumSize(), QSize(280, 200));
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
}

void PanelsTest::aboutPanel_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("libversion");
    QTest::addColumn<QString>("line");
    QTest::newRow("the host's version") << "2.0.0" << "9.9" << "Profiler version: 2.0.0";
    QTest::newRow("libversion for an empty version") << "" << "9.9" << "Profiler version: 9.9";
    QTest::newRow("neither") << "" << "" << "";
}

// The box gets the framework's texts, runs modally and is gone afterwards.
void PanelsTest::aboutPanel()
{
    QFETCH(QString, version);
    QFETCH(QString, libversion);
    QFETCH(QString, line);

    Elements style = {{"vendor", "Vend"}, {"product", "prod"}, {"version", "5.1.1"}, {"build", "42"},
                      {"copyright", "(c) Vend"}};
    if (!libversion.isEmpty())
        style.append(qMakePair(QStringLiteral("libversion"), QString(libversion)));
    KirrFramework framework(program(style));
    QPointer<AboutDialog> shown;
    whenModal([&](QDialog* dialog) {
        shown = qobject_cast<AboutDialog*>(dialog);
        QVERIFY(shown);
        QCOMPARE(shown->label_2->text(), QStringLiteral("Vend prod"));
        QCOMPARE(shown->label_3->text(), QStringLiteral("Version: 5.1.1, build 42\n") + line);
        QCOMPARE(shown->label_4->text(), QStringLiteral("(c) Vend"));
    });
    framework.aboutPanel(nullptr, version);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(shown.isNull());
    QCOMPARE(framework.versionText(), version.isEmpty() ? libversion : version);
}

void PanelsTest::splashTimer()
{
    QPointer<SplashScreen> splash = new SplashScreen(picture(false));
    QVERIFY(splash->isVisible());
    QVERIFY(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    auto* timer = splash->findChild<QTimer*>();
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 4000);
    QVERIFY(timer->isSingleShot());
    QVERIFY(timer->isActive());
    splash->finishSplash();
    QVERIFY(!splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(splash.isNull());
}

void PanelsTest::splashMask_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::newRow("transparent parts") << true;
    QTest::newRow("opaque") << false;
}

void PanelsTest::splashMask()
{
    QFETCH(bool, transparent);
    if (transparent && QGuiApplication::platformName() == QLatin1String("offscreen"))
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support setting window masks");
    SplashScreen splash(picture(transparent));
    QCOMPARE(splash.mask().isEmpty(), !transparent);
    if (transparent)
        QCOMPARE(splash.mask().boundingRect(), QRect(5, 5, 30, 20));
}

void PanelsTest::supportTexts_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<Elements>("style");
    QTest::addColumn<int>("line");  // 0-based line of the label
    QTest::addColumn<QString>("expected");

    const Elements full = {{"vendor", "Vend"}, {"product", "prod"}, {"version", "5.1.1"}, {"build", "42"},
                           {"suppemail", "help@vend.example"}, {"suppphone", "+44 20 7946 0000"}};
    QTest::newRow("profiler version") << "2.0.0" << full << 8 << "Profiler version: 2.0.0";
    QTest::newRow("N/A") << "" << full << 8 << "Profiler version: N/A";
    QTest::newRow("libversion") << "" << (Elements(full) << qMakePair(QStringLiteral("libversion"), QStringLiteral("3.1")))
                                << 8 << "Profiler version: 3.1";
    QTest::newRow("contact") << "2.0.0" << full << 0 << "For Support-Requests please contact Vend";
    QTest::newRow("no vendor default") << "2.0.0" << Elements({{"product", "prod"}}) << 0
                                       << "For Support-Requests please contact ";
    QTest::newRow("phone") << "2.0.0" << full << 3 << "or by Phone: +44 20 7946 0000";
    QTest::newRow("product") << "2.0.0" << full << 6 << "Product: Vend prod";
    QTest::newRow("version line") << "2.0.0" << full << 7 << "Version: 5.1.1, build 42 ";
    QTest::newRow("system") << "2.0.0" << full << 9 << "OS Version: " + osDescription().section("<br>", 0, 0);
}

void PanelsTest::supportTexts()
{
    QFETCH(QString, version);
    QFETCH(Elements, style);
    QFETCH(int, line);
    QFETCH(QString, expected);

    KirrFramework framework(program(style));
    QString text;
    whenModal([&](QDialog* dialog) {
        auto* support = qobject_cast<SupportDialog*>(dialog);
        QVERIFY(support);
        QCOMPARE(support->label->textFormat(), Qt::RichText);
        QCOMPARE(support->label->font().pixelSize(), 12);
        QCOMPARE(support->minimumSize(), QSize(400, 300));
        QCOMPARE(support->maximumSize(), QSize(400, 300));
        text = support->label->text();
    });
    framework.showSupport(nullptr, version);
    QCOMPARE(text.split(QStringLiteral("<br>")).value(line), expected);
}

void PanelsTest::supportMail_data()
{
    QTest::addColumn<Elements>("style");
    QTest::addColumn<QString>("start");  // of the link

    QTest::newRow("address") << Elements({{"vendor", "Vend"}, {"product", "prod"}, {"version", "5.1.1"},
                                          {"build", "42"}, {"suppemail", "help@vend.example"}})
                             << "mailto:help@vend.example?subject=";
    QTest::newRow("no address") << Elements({{"vendor", "Vend"}, {"product", "prod"}, {"version", "5.1.1"},
                                             {"build", "42"}})
                                << "mailto:?subject=";
    QTest::newRow("URL syntax in the values")
        << Elements({{"vendor", "V&V=1"}, {"product", "A&B #1 %"}, {"version", "5.1 ?x"}, {"build", "%20+"},
                     {"suppemail", "help@vend.example"}})
        << "mailto:help@vend.example?subject=";
}

// The link in the label opens a mail whose subject and body come back whole,
// with a line break for every "<br>".
void PanelsTest::supportMail()
{
    QFETCH(Elements, style);
    QFETCH(QString, start);

    KirrFramework framework(program(style));
    const auto value = [&](const char* name) { return framework.findStyleElement(QString::fromLatin1(name)); };
    QString anchor;
    whenModal([&](QDialog* dialog) {
        auto* support = qobject_cast<SupportDialog*>(dialog);
        anchor = firstAnchor(support->label->text());
        support->linkClicked(anchor);
    });
    framework.showSupport(nullptr, QStringLiteral("2.0.0"));

    QVERIFY2(anchor.startsWith(start), qPrintable(anchor));
    const QList<QUrl> urls = UrlCatcher::instance()->takeUrls();
    QCOMPARE(urls.size(), 1);
    const QUrl& mail = urls[0];
    QVERIFY(mail.isValid());
    QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
    QCOMPARE(mail.path(), value("suppemail"));
    const QUrlQuery query(mail);
    QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Support-Request ") + value("vendor") + ' ' + value("product") + ' ' + value("version"));
    QString system = osDescription();
    system.replace(QStringLiteral("<br>"), QStringLiteral("\r\n"));
    QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded),
             QStringLiteral("\r\n\r\nProduct: ") + value("vendor") + ' ' + value("product")
                 + QStringLiteral("\r\nVersion: ") + value("version") + QStringLiteral(", build ") + value("build")
                 + QStringLiteral(" \r\nProfiler version: 2.0.0\r\nOS Version: ") + system);
    QVERIFY(!mail.toString(QUrl::FullyEncoded).contains(QLatin1Char(' ')));
    QVERIFY(mail.toString(QUrl::FullyEncoded).contains(QLatin1String("%0D%0A")));
}

// Markup in the style file and the host's version is shown as written: no
// bold, no second link, and the mail carries the values unchanged.
void PanelsTest::supportMarkupInValues()
{
    const Elements style = {{"vendor", "<b>V&"}, {"product", "P<i>&amp;"}, {"version", "5<i>1"},
                            {"build", "<u>b"}, {"suppemail", "help@vend.example\"><a href=\"file:///etc"},
                            {"suppphone", "<a href=\"tel:0\">&T</a>"}};
    KirrFramework framework(program(style));
    QString text;
    whenModal([&](QDialog* dialog) {
        auto* support = qobject_cast<SupportDialog*>(dialog);
        QVERIFY(support);
        text = support->label->text();
    });
    framework.showSupport(nullptr, QStringLiteral("<s>2&"));

    QTextDocument document;
    document.setHtml(text);
    const QStringList lines = document.toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("For Support-Requests please contact <b>V&"));
    QCOMPARE(lines.value(2), QStringLiteral("by E-Mail: help@vend.example\"><a href=\"file:///etc"));
    QCOMPARE(lines.value(3), QStringLiteral("or by Phone: <a href=\"tel:0\">&T</a>"));
    QCOMPARE(lines.value(6), QStringLiteral("Product: <b>V& P<i>&amp;"));
    QCOMPARE(lines.value(7), QStringLiteral("Version: 5<i>1, build <u>b "));
    QCOMPARE(lines.value(8), QStringLiteral("Profiler version: <s>2&"));
    QCOMPARE(lines.value(9), QStringLiteral("OS Version: ") + osDescription().section(QStringLiteral("<br>"), 0, 0));

    QStringList anchors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QVERIFY(!format.font().bold() && !format.font().italic() && !format.font().strikeOut());
            QVERIFY(format.isAnchor() || !format.font().underline());  // links are underlined
            if (format.isAnchor() && !anchors.contains(format.anchorHref()))
                anchors.append(format.anchorHref());
        }
    }
    QCOMPARE(anchors.size(), 1);
    const QUrl mail(anchors[0], QUrl::StrictMode);
    QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
    QCOMPARE(QUrlQuery(mail).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Support-Request <b>V& P<i>&amp; 5<i>1"));
}

void PanelsTest::bitness_data()
{
    QTest::addColumn<QString>("architecture");
    QTest::addColumn<bool>("is64");
    const QStringList wide = {"x86_64", "arm64", "ia64", "mips64", "power64", "riscv64", "s390x", "sparcv9",
                              "loongarch64"};
    const QStringList narrow = {"i386", "arm", "mips", "power", "riscv32", "s390", "sparc", "unknown", ""};
    for (const QString& name : wide)
        QTest::addRow("%s", qPrintable(name)) << name << true;
    for (const QString& name : narrow)
        QTest::addRow("%s", name.isEmpty() ? "empty" : qPrintable(name)) << name << false;
}

void PanelsTest::bitness()
{
    QFETCH(QString, architecture);
    QFETCH(bool, is64);
    QCOMPARE(SystemInfo::is64BitArchitecture(architecture), is64);
}

void PanelsTest::osDescriptionShape()
{
    const SystemInfo info;
    QCOMPARE(info.windowsVersion(), 0);
    QCOMPARE(info.isNative64Bit(), SystemInfo::is64BitArchitecture(QSysInfo::currentCpuArchitecture()));
    QCOMPARE(QStringLiteral("%1.%2.%3").arg(info.majorVersion()).arg(info.minorVersion()).arg(info.buildNumber()),
             QSysInfo::kernelVersion().section(QLatin1Char('-'), 0, 0));
    const QString bitness = info.isNative64Bit() ? QStringLiteral("64bit") : QStringLiteral("32bit");
    QCOMPARE(osDescription(), QSysInfo::prettyProductName() + ' ' + bitness + QStringLiteral(" (kernel ")
                                  + QSysInfo::kernelVersion() + QStringLiteral(")<br>"));
}

FRAMEWORK_TEST_MAIN(PanelsTest)
#include "test_panels.moc"
