// Preferences, the manual and what the update check is handed, on fixture
// program folders.
#include "KirrFramework.h"
#include "SplashScreen.h"
#include "TestSupport.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

using Elements = QList<QPair<QString, QString>>;

namespace {

QString configFile(const QString& organisation, const QString& application)
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QLatin1Char('/') + organisation + QLatin1Char('/')
           + application + QStringLiteral(".conf");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct RecordedCheck {
    UpdateCheckRequest request;
    bool splashShown = false;
};

}  // namespace

class FrameworkTest : public QObject {
    Q_OBJECT

private slots:
    void paths();
    void preferences();
    void preferenceTexts_data();
    void preferenceTexts();
    void showHelp_data();
    void showHelp();
    void updateRequest_data();
    void updateRequest();
    void splashStartsAutomaticCheck();
    void cleanup();

private:
    QTemporaryDir m_program;
    QList<RecordedCheck> m_checks;

    void recordChecks()
    {
        setUpdateCheckStarter([this](QWidget*, KirrFramework*, const UpdateCheckRequest& request) {
            RecordedCheck check{request, false};
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<SplashScreen*>(widget) && widget->isVisible())
                    check.splashShown = true;
            }
            m_checks.append(check);
        });
    }
    void writeStyle(const Elements& elements)
    {
        writeFile(m_program.path() + QStringLiteral("/Resources/style.xml"), styleXml(elements));
    }
};

void FrameworkTest::cleanup()
{
    setUpdateCheckStarter(nullptr);
    m_checks.clear();
    UrlCatcher::instance()->takeUrls();
}

void FrameworkTest::paths()
{
    writeStyle({{"product", "pelto5"}});
    const KirrFramework framework(m_program.path() + QStringLiteral("/Resources/.."));
    QCOMPARE(framework.appContentPath(), m_program.path());
    QCOMPARE(framework.prefsPath(), qEnvironmentVariable("XDG_CONFIG_HOME"));
}

// Shared and per-product values stay apart, and a value is in its file as soon
// as it is set (the framework object is never destroyed, so nothing else would
// write it).
void FrameworkTest::preferences()
{
    writeStyle({{"vendor", "Vend"}, {"product", "prefprod"}, {"prefdomain", "dom"}});
    KirrFramework framework(m_program.path());
    QCOMPARE(framework.getPrefsValue(QStringLiteral("never"), false), QString());
    QCOMPARE(framework.getPrefsValue(QStringLiteral("never"), true), QString());

    framework.setPrefsValue(QStringLiteral("key"), QStringLiteral("product value"), false);
    framework.setPrefsValue(QStringLiteral("sharedOnly"), QStringLiteral("shared value"), true);
    QCOMPARE(framework.getPrefsValue(QStringLiteral("key"), false), QStringLiteral("product value"));
    QCOMPARE(framework.getPrefsValue(QStringLiteral("key"), true), QString());
    QCOMPARE(framework.getPrefsValue(QStringLiteral("sharedOnly"), true), QStringLiteral("shared value"));
    QCOMPARE(framework.getPrefsValue(QStringLiteral("sharedOnly"), false), QString());

    QVERIFY(fileBytes(configFile(QStringLiteral("Vend.dom"), QStringLiteral("prefprod"))).contains("key=product value"));
    QVERIFY(fileBytes(configFile(QStringLiteral("Vend.dom"), QStringLiteral("KirrFramework")))
                .contains("sharedOnly=shared value"));

    framework.setPrefsValue(QString(), QStringLiteral("lost"), false);
    QCOMPARE(framework.getPrefsValue(QString(), false), QString());
}

void FrameworkTest::preferenceTexts_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("list separators") << "a, b, c";
    QTest::newRow("markup and quotes") << "<b>\"x\" = 'y'; z</b>";
    QTest::newRow("line breaks") << "one\ntwo\r\nthree";
    QTest::newRow("non-ASCII") << QStringLiteral("Grün \u00e9\u4e2d\U0001F600");
    QTest::newRow("INI syntax") << "[General]\nk=v";
    QTest::newRow("long") << QString(100000, QLatin1Char('v'));
}

void FrameworkTest::preferenceTexts()
{
    QFETCH(QString, value);
    writeStyle({{"product", "texts"}});
    {
        KirrFramework framework(m_program.path());
        framework.setPrefsValue(QStringLiteral("text"), value, true);
        QCOMPARE(framework.getPrefsValue(QStringLiteral("text"), true), value);
    }
    QSettings reread(configFile(QStringLiteral("Vandrelith."), QStringLiteral("KirrFramework")), QSettings::IniFormat);
    QCOMPARE(reread.value(QStringLiteral("text")).toString(), value);
}

void FrameworkTest::showHelp_data()
{
    QTest::addColumn<bool>("languageManual");
    QTest::addColumn<QString>("element");   // the style element "manual"
    QTest::addColumn<bool>("elementFile");  // whether the file it names exists
    QTest::addColumn<QString>("opened");    // relative to the program folder; empty: nothing

    const QString own = QStringLiteral("Resources/manual Vend helpprod.pdf");
    const QString named = QStringLiteral("PDF Manuals/EN - #1 100% pelto.pdf");
    QTest::newRow("the language's manual") << true << named << true << own;
    QTest::newRow("else the named file") << false << named << true << named;
    QTest::newRow("named file missing") << false << named << false << "";
    QTest::newRow("no manual at all") << false << "" << false << "";
}

void FrameworkTest::showHelp()
{
    QFETCH(bool, languageManual);
    QFETCH(QString, element);
    QFETCH(bool, elementFile);
    QFETCH(QString, opened);

    const QTemporaryDir program;
    Elements style = {{"vendor", "Vend"}, {"product", "helpprod"}};
    if (!element.isEmpty())
        style.append(qMakePair(QStringLiteral("manual"), QString(element)));
    writeFile(program.path() + QStringLiteral("/Resources/style.xml"), styleXml(style));
    if (languageManual)
        writeFile(program.path() + QStringLiteral("/Resources/manual Vend helpprod.pdf"), "%PDF-1.4\n");
    if (elementFile)
        writeFile(program.path() + QLatin1Char('/') + element, "%PDF-1.4\n");

    KirrFramework(program.path()).showHelp();
    const QList<QUrl> urls = UrlCatcher::instance()->takeUrls();
    if (opened.isEmpty()) {
        QVERIFY(urls.isEmpty());
        return;
    }
    QCOMPARE(urls.size(), 1);
    QCOMPARE(urls[0].scheme(), QStringLiteral("file"));
    QCOMPARE(urls[0].toLocalFile(), program.path() + QLatin1Char('/') + opened);
}

void FrameworkTest::updateRequest_data()
{
    QTest::addColumn<bool>("pkgversion");
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QString>("version");
    QTest::newRow("forced, package version") << true << true << "5.1.1-2";
    QTest::newRow("automatic, package version") << true << false << "5.1.1-2";
    QTest::newRow("forced, product version") << false << true << "5.1.1";
}

void FrameworkTest::updateRequest()
{
    QFETCH(bool, pkgversion);
    QFETCH(bool, forced);
    QFETCH(QString, version);

    Elements style = {{"vendor", "Vend"}, {"product", "updprod"}, {"version", "5.1.1"},
                      {"productid", "PID-7"}, {"vendorid", "VID-9"}};
    if (pkgversion)
        style.append(qMakePair(QStringLiteral("pkgversion"), QString("5.1.1-2")));
    writeStyle(style);
    recordChecks();
    KirrFramework framework(m_program.path());
    framework.searchUpdate(nullptr, forced);

    QCOMPARE(m_checks.size(), 1);
    const UpdateCheckRequest& request = m_checks[0].request;
    QCOMPARE(request.vendor, QStringLiteral("Vend"));
    QCOMPARE(request.product, QStringLiteral("updprod"));
    QCOMPARE(request.installedVersion, version);
    QCOMPARE(request.productId, QStringLiteral("PID-7"));
    QCOMPARE(request.forced, forced);
}

// The splash screen shows while the automatic check starts, and closes and
// deletes itself when its timer fires.
void FrameworkTest::splashStartsAutomaticCheck()
{
    writeStyle({{"product", "splashprod"}});
    recordChecks();
    KirrFramework framework(m_program.path());
    framework.splashPanel();

    QCOMPARE(m_checks.size(), 1);
    QVERIFY(m_checks[0].splashShown);
    QCOMPARE(m_checks[0].request.vendor, QStringLiteral("Vandrelith"));
    QCOMPARE(m_checks[0].request.forced, false);

    QPointer<SplashScreen> splash;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<SplashScreen*>(widget))
            splash = found;
    }
    QVERIFY(splash);
    splash->finishSplash();
    QVERIFY(!splash->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(splash.isNull());
}

FRAMEWORK_TEST_MAIN(FrameworkTest)
#include "test_framework.moc"
