// The application object, one scenario per process (its QApplication, its
// translators and the framework's state are process-wide): its names, its
// translators, its menu actions and its destructor. The scenario is the name
// of the test function given as the first argument; its stored language comes
// from the table below, its system locale from the environment.

#include "AppTestSupport.h"
#include "ServiceStubs.h"
#include "UpdateCheck.h"
#include "UpdateDialog.h"
#include "UpdateService.h"
#include "app/pq_Application.h"
#include "settings/pq_PreferencesDialog.h"
#include "settings/pq_Settings.h"
#include "platform/program_folders.h"

#include <KirrFramework/KirrFrameworkAPI.h>

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QSettings>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QtTest>

#include <cstdio>

namespace {

pq_Application* theApplication = nullptr;
UrlCatcher* theUrls = nullptr;
UpdateGuard* theUpdates = nullptr;
QStringList startupLines;  // what the start-up logged

// The language stored before the application starts, per scenario.
const struct {
    const char* scenario;
    const char* language;
} kStoredLanguages[] = {
    {"translatorsGerman", "de"},
    {"translatorsEnglish", "en"},
    {"missingProgramTranslation", "fr"},
    {"invalidStoredLanguage", "C"},
};

QtMessageHandler previousHandler = nullptr;

void catchStartupLines(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && QByteArray(context.category) == "pelto.app.startup")
        startupLines << message;
    else
        previousHandler(type, context, message);
}

// Whether the fixture translation of that stem is installed (each says so).
bool installed(const char* stem)
{
    return QCoreApplication::translate("fixture", stem) == QLatin1String("installed");
}

QStringList installedFixtures()
{
    QStringList stems;
    for (const char* stem : {"pelto_de", "pelto_en", "pelto_xx", "qt_de", "qtbase_de"}) {
        if (installed(stem))
            stems << stem;
    }
    return stems;
}

QString storedLanguage()
{
    return pq_Settings::instance()->language();
}

// The texts of every label of a dialog.
QString labelTexts(QDialog* dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        texts << label->text();
    return texts.join('\n');
}

QString resource(const QString& name)
{
    return platform::resourcesFolderPath() + "/" + name;
}

}  // namespace

class ApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void names();
    void translatorsGerman();
    void translatorsEnglish();
    void missingProgramTranslation();
    void systemLanguageFrench();
    void systemLanguageC();
    void invalidStoredLanguage();
    void switchIntro();
    void about();
    void support();
    void help();
    void update();
    void preferences();
    void quit();
    void splash();
    void destructorWritesSettings();
};

void ApplicationTest::names()
{
    QCOMPARE(QCoreApplication::organizationName(), QString("Vandrelith"));
    QCOMPARE(QCoreApplication::organizationDomain(), QString("vandrelith.example"));
    QCOMPARE(QCoreApplication::applicationName(), QString("pelto5"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QString("pelto 5"));
    QCOMPARE(QCoreApplication::applicationVersion(), QString("5.1.1"));
    QCOMPARE(QString(pq_profilerVersion), QString("2.0.0"));
    QCOMPARE(QSettings().fileName(), settingsFilePath());
}

// Every qt*_de.qm loads but the one that is no translation, which is logged.
void ApplicationTest::translatorsGerman()
{
    QCOMPARE(installedFixtures(), QStringList({"pelto_de", "qt_de", "qtbase_de"}));
    QCOMPARE(startupLines, QStringList({"main::actual locale: <de>",
                                        "failed to load qt-translator <" + resource("qtbroken_de.qm") + ">"}));
    QCOMPARE(QLocale().language(), QLocale::German);
    QCOMPARE(storedLanguage(), QString("de"));
}

void ApplicationTest::translatorsEnglish()
{
    QCOMPARE(installedFixtures(), QStringList({"pelto_en"}));
    QCOMPARE(startupLines, QStringList({"main::actual locale: <en>"}));
}

void ApplicationTest::missingProgramTranslation()
{
    QCOMPARE(installedFixtures(), QStringList({"pelto_en"}));
    QCOMPARE(startupLines, QStringList({"main::actual locale: <fr>",
                                        "failed to load pelto-translator <" + resource("pelto_fr") + ">"}));
    QCOMPARE(QLocale().language(), QLocale::French);
    QCOMPARE(storedLanguage(), QString("fr"));
}

// Nothing stored, LC_ALL=fr_FR: the language is French from now on.
void ApplicationTest::systemLanguageFrench()
{
    QCOMPARE(storedLanguage(), QString("fr"));
    QCOMPARE(QLocale().language(), QLocale::French);
    QCOMPARE(installedFixtures(), QStringList({"pelto_en"}));
}

// Nothing stored, LANG=C: the system names no language, English is stored.
void ApplicationTest::systemLanguageC()
{
    QCOMPARE(storedLanguage(), QString("en"));
    QCOMPARE(QSettings().value("language").toString(), QString("en"));
    QCOMPARE(installedFixtures(), QStringList({"pelto_en"}));
    QCOMPARE(startupLines, QStringList({"main::actual locale: <en>"}));
}

// A stored "C" is no language: it is replaced like an empty one.
void ApplicationTest::invalidStoredLanguage()
{
    QCOMPARE(QSettings().value("language").toString(), QString("en"));
    QCOMPARE(installedFixtures(), QStringList({"pelto_en"}));
}

void ApplicationTest::switchIntro()
{
    QSignalSpy shown(theApplication, &pq_Application::setShowIntroMessage);
    QAction action("Show intro");
    action.setCheckable(true);
    action.setChecked(true);
    connect(&action, &QAction::triggered, theApplication, &pq_Application::catchActionSwitchIntro);
    action.trigger();  // unchecks
    QCOMPARE(pq_Settings::instance()->showIntro(), false);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.takeFirst().at(0).toBool(), false);
    action.trigger();
    QCOMPARE(pq_Settings::instance()->showIntro(), true);
    QCOMPARE(shown.takeFirst().at(0).toBool(), true);

    // A sender that is no action, and no sender at all, change nothing.
    pq_Settings::instance()->setShowIntro(false);
    QObject other;
    connect(&other, &QObject::objectNameChanged, theApplication, &pq_Application::catchActionSwitchIntro);
    other.setObjectName("not an action");
    theApplication->catchActionSwitchIntro();
    QCOMPARE(shown.size(), 0);
    QCOMPARE(pq_Settings::instance()->showIntro(), false);
}

// The framework's about box with the profiler version; the framework's first
// call leaves the names as the application set them.
void ApplicationTest::about()
{
    QString texts;
    whenModal([&texts](QDialog* dialog) { texts = labelTexts(dialog); });
    theApplication->catchActionAbout();
    QVERIFY2(texts.contains("Profiler version: 2.0.0"), qPrintable(texts));
    QCOMPARE(QCoreApplication::applicationName(), QString("pelto5"));
    QCOMPARE(QCoreApplication::organizationName(), QString("Vandrelith"));
    QCOMPARE(QString::fromUtf8(Kirr_findStyleElement("version")), QCoreApplication::applicationVersion());
    QCOMPARE(theUrls->takeUrls(), QList<QUrl>());
}

void ApplicationTest::support()
{
    QString texts;
    whenModal([&texts](QDialog* dialog) { texts = labelTexts(dialog); });
    theApplication->catchActionSupport();
    QVERIFY2(texts.contains("Profiler version: 2.0.0"), qPrintable(texts));
    QCOMPARE(QCoreApplication::applicationName(), QString("pelto5"));
    QCOMPARE(QCoreApplication::organizationName(), QString("Vandrelith"));
    QCOMPARE(theUrls->takeUrls(), QList<QUrl>());
}

void ApplicationTest::help()
{
    theApplication->catchActionHelp();
    const QList<QUrl> urls = theUrls->takeUrls();
    QCOMPARE(urls.size(), 1);
    QCOMPARE(urls[0].toLocalFile(), platform::pdfManualsFolderPath() + "/EN - Vandrelith pelto.pdf");
}

// The forced check runs its dialog at once; the service is a stand-in on the
// loopback interface.
void ApplicationTest::update()
{
    setUpdateCheckStarter(nullptr);  // the framework's own dialog
    ServiceStub service([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        ServiceStub::reply(socket, 200, ServiceStub::productData("5.1.1"));
    });
    UpdateService::Endpoint endpoint = UpdateService::endpoint();
    endpoint.url = service.url();
    UpdateService::setEndpoint(endpoint);

    QString result;
    whenModal([&](QDialog* dialog) {
        auto* update = qobject_cast<UpdateDialog*>(dialog);
        QVERIFY(update);
        QTRY_VERIFY_WITH_TIMEOUT(!update->label->isHidden() && !update->label->text().isEmpty(), 10000);
        result = update->label->text();
    });
    theApplication->catchActionUpdate();
    QCOMPARE(service.requests.size(), 1);
    QVERIFY2(result.contains("up-to-date"), qPrintable(result));
    QCOMPARE(LoopbackOnlyProxies::takeForeignHosts(), QStringList());
    QCOMPARE(theUrls->takeUrls(), QList<QUrl>());
}

void ApplicationTest::preferences()
{
    QPointer<QDialog> shown;
    bool seen = false;
    whenModal([&](QDialog* dialog) {
        shown = dialog;
        seen = qobject_cast<pq_PreferencesDialog*>(dialog) && !dialog->parentWidget();
    });
    theApplication->catchActionPreferences();
    QVERIFY(seen);
    QVERIFY(shown.isNull());  // destroyed when the action returns
}

void ApplicationTest::quit()
{
    QTimer::singleShot(0, theApplication, &pq_Application::catchActionQuit);
    QCOMPARE(theApplication->exec(), 0);
}

void ApplicationTest::splash()
{
    const auto splashScreens = [] {
        int count = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            count += qobject_cast<QSplashScreen*>(widget) && widget->isVisible() ? 1 : 0;
        return count;
    };
    QVERIFY(!pq_showSplashAtStart(2));  // a file argument
    QCOMPARE(splashScreens(), 0);
    QCOMPARE(theUpdates->takeRequests(), QList<bool>());

    QVERIFY(pq_showSplashAtStart(1));
    QCOMPARE(splashScreens(), 1);
    QCOMPARE(theUpdates->takeRequests(), QList<bool>{false});  // the automatic check
    QCOMPARE(LoopbackOnlyProxies::takeForeignHosts(), QStringList());
    QPointer<QWidget> splash;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QSplashScreen*>(widget))
            splash = widget;
    }
    splash->close();
    QTRY_VERIFY(splash.isNull());
}

void ApplicationTest::destructorWritesSettings()
{
    pq_Settings::instance()->setFixedJobsList("b|a");
    pq_Settings::instance()->setPickerRadius(0);
    // The file itself (absent until written), not this process's view of it.
    QFile before(settingsFilePath());
    QVERIFY(!(before.open(QIODevice::ReadOnly) && before.readAll().contains("fixedJobsList")));

    delete theApplication;
    theApplication = nullptr;
    QSettings after(settingsFilePath(), QSettings::IniFormat);
    QCOMPARE(after.value("fixedJobsList").toString(), QString("b|a"));
    QCOMPARE(after.value("pickerRadius").toInt(), 0);
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    usePrivateHome(home);
    if (argc != 2) {
        fprintf(stderr, "usage: %s <scenario: a test function>\n", argv[0]);
        return 2;
    }
    const QByteArray scenario(argv[1]);
    for (const auto& entry : kStoredLanguages) {
        if (scenario == entry.scenario)
            QSettings(settingsFilePath(), QSettings::IniFormat).setValue("language", entry.language);
    }

    QLoggingCategory::setFilterRules("pelto.app.startup.debug=true");
    previousHandler = qInstallMessageHandler(catchStartupLines);
    int appArgc = 1;
    theApplication = new pq_Application(appArgc, argv);
    qInstallMessageHandler(previousHandler);

    // Nothing leaves the machine: every host but 127.0.0.1 is sent to a closed
    // loopback port, and the automatic check is taken before it asks.
    LoopbackOnlyProxies::install();
    theUrls = new UrlCatcher;
    theUpdates = new UpdateGuard;
    ApplicationTest test;
    const int result = QTest::qExec(&test, argc, argv);
    delete theUpdates;
    delete theUrls;
    delete theApplication;
    return result;
}

#include "test_application.moc"
