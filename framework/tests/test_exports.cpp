// The exports inside a Qt host, in a process of its own: the first call creates
// the framework for this executable's folder (the full fixture program).
#include <KirrFramework/KirrFrameworkAPI.h>

#include "AboutDialog.h"
#include "SplashScreen.h"
#include "SupportDialog.h"
#include "TestSupport.h"
#include "UpdateCheck.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

namespace {

struct RecordedCheck {
    UpdateCheckRequest request;
    bool splashShown = false;
};

void whenModal(std::function<void(QDialog*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        inspect(dialog);
        dialog->reject();
    });
}

}  // namespace

class ExportsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void names();
    void texts();
    void searchUpdate();
    void splashPanel();
    void aboutPanel();
    void showSupport();
    void showHelp();
    void cleanup();

private:
    QList<RecordedCheck> m_checks;
};

void ExportsTest::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("host"));
    QCoreApplication::setOrganizationName(QStringLiteral("HostOrg"));
    setUpdateCheckStarter([this](QWidget*, KirrFramework*, const UpdateCheckRequest& request) {
        RecordedCheck check{request, false};
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<SplashScreen*>(widget) && widget->isVisible())
                check.splashShown = true;
        }
        m_checks.append(check);
    });
}

void ExportsTest::cleanup()
{
    m_checks.clear();
    UrlCatcher::instance()->takeUrls();
}

void ExportsTest::names()
{
    QCOMPARE(QString::fromUtf8(Kirr_getAppContentPath()), QCoreApplication::applicationDirPath());
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("pelto5"));
    QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Vandrelith"));
    QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("Vandrelith.fixture"));
}

// One result buffer per export: a text stays readable while other exports run.
void ExportsTest::texts()
{
    const char* product = Kirr_findStyleElement("product");
    const char* item = Kirr_findCustomElement("custom.xml", "item");
    const char* folder = Kirr_getPrefsPath();
    Kirr_setPrefsValue("k", "v", 0);
    const char* value = Kirr_getPrefsValue("k", 0);
    QCOMPARE(QString::fromUtf8(product), QStringLiteral("pelto5"));
    QCOMPARE(QString::fromUtf8(item), QStringLiteral("custom item"));
    QCOMPARE(QString::fromUtf8(folder), qEnvironmentVariable("XDG_CONFIG_HOME"));
    QCOMPARE(QString::fromUtf8(value), QStringLiteral("v"));
    QCOMPARE(QString::fromUtf8(Kirr_findStyleElement(nullptr)), QString());
}

void ExportsTest::searchUpdate()
{
    Kirr_searchUpdate();
    QCOMPARE(m_checks.size(), 1);
    const UpdateCheckRequest& request = m_checks[0].request;
    QCOMPARE(request.vendor, QStringLiteral("Vandrelith"));
    QCOMPARE(request.product, QStringLiteral("pelto5"));
    QCOMPARE(request.installedVersion, QStringLiteral("5.1.1"));
    QCOMPARE(request.productId, QStringLiteral("PID"));
    QCOMPARE(request.forced, true);
}

void ExportsTest::splashPanel()
{
    Kirr_splashPanel();
    QCOMPARE(m_checks.size(), 1);
    QVERIFY(m_checks[0].splashShown);
    QCOMPARE(m_checks[0].request.forced, false);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* splash = qobject_cast<SplashScreen*>(widget))
            splash->finishSplash();
    }
}

void ExportsTest::aboutPanel()
{
    QString versions;
    whenModal([&](QDialog* dialog) { versions = qobject_cast<AboutDialog*>(dialog)->label_3->text(); });
    Kirr_aboutPanel("2.0.0");
    QCOMPARE(versions, QStringLiteral("Version: 5.1.1, build 77\nProfiler version: 2.0.0"));
}

void ExportsTest::showSupport()
{
    QString text;
    whenModal([&](QDialog* dialog) { text = qobject_cast<SupportDialog*>(dialog)->label->text(); });
    Kirr_showSupport("2.0.0");
    QCOMPARE(text.split(QStringLiteral("<br>")).value(8), QStringLiteral("Profiler version: 2.0.0"));
}

void ExportsTest::showHelp()
{
    Kirr_showHelp();
    const QList<QUrl> urls = UrlCatcher::instance()->takeUrls();
    QCOMPARE(urls.size(), 1);
    QCOMPARE(urls[0].toLocalFile(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/PDF Manuals/EN - Vandrelith pelto.pdf"));
}

FRAMEWORK_TEST_MAIN(ExportsTest)
#include "test_exports.moc"
