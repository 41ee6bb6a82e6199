// The dialogs as a user meets them, in a real window system (run under Xvfb):
// the program's own resources, translations and pictures, input through the
// platform's event path, and a screenshot of every window in SCREENSHOT_DIR.
// The language comes from VP_SCREEN_LANGUAGE ("en" unless set).
#define QTEST_QPA_MOUSE_HANDLING
#include <KirrFramework/KirrFrameworkAPI.h>

#include "AboutDialog.h"
#include "ProxyDialog.h"
#include "ServiceStubs.h"
#include "SplashScreen.h"
#include "SupportDialog.h"
#include "TestSupport.h"
#include "UpdateCheck.h"
#include "UpdateDialog.h"
#include "UpdateService.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

namespace {

QString language()
{
    const QString chosen = qEnvironmentVariable("VP_SCREEN_LANGUAGE");
    return chosen.isEmpty() ? QStringLiteral("en") : chosen;
}

// What the screen shows of the window, its surroundings included.
void saveScreenshot(QWidget* window, const QString& name)
{
    QTRY_VERIFY(window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed());
    QTest::qWait(100);
    const QRect area = window->frameGeometry().adjusted(-10, -10, 10, 10);
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    QVERIFY(!shot.isNull());
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    const QString path = QStringLiteral(SCREENSHOT_DIR "/") + language() + QLatin1Char('-') + name + QStringLiteral(".png");
    QVERIFY2(shot.save(path), qPrintable(path));
}

// Runs inspect on the next modal dialog, then closes it as a user would: with
// the Escape key, through the window system's key events.
void whenModal(std::function<void(QDialog*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        inspect(dialog);
        const bool active = QTest::qWaitFor([dialog] { return dialog->windowHandle()->isActive(); });
        if (active)
            QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
        const bool closed = QTest::qWaitFor([dialog] { return !dialog->isVisible(); });
        if (!closed)
            dialog->reject();  // so that a failure does not leave the test waiting
        QVERIFY(active);
        QVERIFY(closed);
    });
}

// Moves the pointer over the label until it hovers a link; the point or (-1, -1).
QPoint findLink(QLabel* label)
{
    QSignalSpy hovered(label, &QLabel::linkHovered);
    for (int y = 2; y < label->height(); y += 5) {
        for (int x = 2; x < label->width(); x += 8) {
            QTest::mouseMove(label, QPoint(x, y));
            if (!hovered.isEmpty() && !hovered.last().value(0).toString().isEmpty())
                return QPoint(x, y);
        }
    }
    return QPoint(-1, -1);
}

}  // namespace

class ScreensTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void splash();
    void about();
    void supportLink();
    void updateLink();
    void updateProgressAndProxy();
};

void ScreensTest::initTestCase()
{
    LoopbackOnlyProxies::install();
}

void ScreensTest::cleanup()
{
    UpdateService::resetEndpoint();
    QCOMPARE(LoopbackOnlyProxies::takeForeignHosts(), QStringList());
}

namespace {

void pointAt(const QUrl& url, int timeoutMilliseconds)
{
    UpdateService::Endpoint service = UpdateService::endpoint();
    service.url = url;
    service.timeoutMilliseconds = timeoutMilliseconds;
    UpdateService::setEndpoint(service);
}

}  // namespace

void ScreensTest::splash()
{
    QList<bool> forced;
    setUpdateCheckStarter([&](QWidget*, KirrFramework*, const UpdateCheckRequest& request) {
        forced.append(request.forced);
    });
    Kirr_splashPanel();
    setUpdateCheckStarter(nullptr);
    QCOMPARE(forced, QList<bool>{false});

    QPointer<SplashScreen> splash;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<SplashScreen*>(widget))
            splash = found;
    }
    QVERIFY(splash);
    QVERIFY(!splash->mask().isEmpty());  // the picture's corners are transparent
    saveScreenshot(splash, QStringLiteral("splash"));
    splash->finishSplash();
    QTRY_VERIFY(splash.isNull());
}

void ScreensTest::about()
{
    QString title;
    whenModal([&](QDialog* dialog) {
        auto* box = qobject_cast<AboutDialog*>(dialog);
        QVERIFY(box);
        title = box->windowTitle();
        QVERIFY(!box->label->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(!box->back->pixmap(Qt::ReturnByValue).isNull());
        saveScreenshot(box, QStringLiteral("about"));
    });
    Kirr_aboutPanel("2.0.0");
    QCOMPARE(title, language() == QLatin1String("de") ? QStringLiteral("Über") : QStringLiteral("About"));
}

// The mail link is clicked where the user sees it, and the mail program would
// get the whole subject.
void ScreensTest::supportLink()
{
    QPoint link;
    whenModal([&](QDialog* dialog) {
        auto* support = qobject_cast<SupportDialog*>(dialog);
        QVERIFY(support);
        saveScreenshot(support, QStringLiteral("support"));
        link = findLink(support->label);
        QVERIFY(link.x() >= 0);
        QTest::mouseClick(support->label, Qt::LeftButton, Qt::NoModifier, link);
    });
    Kirr_showSupport("2.0.0");
    const QList<QUrl> urls = UrlCatcher::instance()->takeUrls();
    QCOMPARE(urls.size(), 1);
    QCOMPARE(urls[0].scheme(), QStringLiteral("mailto"));
    QCOMPARE(urls[0].path(), QStringLiteral("support@vandrelith.example"));
    QCOMPARE(QUrlQuery(urls[0]).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded),
             QStringLiteral("Support-Request Vandrelith pelto5 5.1.1"));
}

// A newer version: the user clicks the download link where it is shown, and
// the browser would get the service's file.
void ScreensTest::updateLink()
{
    ServiceStub stub([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        ServiceStub::reply(socket, 200, ServiceStub::productData(QStringLiteral("5.2.0"), QStringLiteral("pelto5 5.2.0.zip")));
    });
    pointAt(stub.url(), 10000);
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<UpdateDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        const bool answered = QTest::qWaitFor([dialog] { return !dialog->label->isHidden(); }, 10000);
        if (answered) {
            saveScreenshot(dialog, QStringLiteral("update"));
            const QPoint link = findLink(dialog->label);
            if (link.x() >= 0)
                QTest::mouseClick(dialog->label, Qt::LeftButton, Qt::NoModifier, link);
        }
        if (!QTest::qWaitFor([dialog] { return !dialog->isVisible(); }))
            dialog->reject();
        QVERIFY(answered);
    });
    Kirr_searchUpdate();
    QCOMPARE(title, language() == QLatin1String("de") ? QStringLiteral("Nach Updates suchen...")
                                                      : QStringLiteral("Check for updates..."));
    const QList<QUrl> urls = UrlCatcher::instance()->takeUrls();
    QCOMPARE(urls.size(), 1);
    QCOMPARE(urls[0], UpdateService::downloadUrl(QStringLiteral("pelto5 5.2.0.zip")));
}

// While the service is silent the bar moves; the proxy box opens the proxy
// dialog, and Escape there switches the proxy off again.
void ScreensTest::updateProgressAndProxy()
{
    ServiceStub stub;
    pointAt(stub.url(), 60000);
    bool proxyShown = false;
    bool unticked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<UpdateDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitFor([dialog] { return dialog->progressBar->value() >= 15; }, 10000));
        saveScreenshot(dialog, QStringLiteral("update-progress"));
        QTimer::singleShot(0, [&] {
            auto* proxy = qobject_cast<ProxyDialog*>(QApplication::activeModalWidget());
            QVERIFY(proxy);
            proxyShown = true;
            QTest::keyClicks(proxy->lineEditHost, QStringLiteral("127.0.0.1"));
            QTest::keyClicks(proxy->lineEditPort, QStringLiteral("3128"));
            proxy->checkBoxNeedLogin->click();
            saveScreenshot(proxy, QStringLiteral("proxy"));
            if (QTest::qWaitFor([proxy] { return proxy->windowHandle()->isActive(); }))
                QTest::keyClick(proxy->windowHandle(), Qt::Key_Escape);
            if (!QTest::qWaitFor([proxy] { return !proxy->isVisible(); }))
                proxy->reject();
        });
        QTest::mouseClick(dialog->checkBox_2, Qt::LeftButton, Qt::NoModifier, QPoint(8, dialog->checkBox_2->height() / 2));
        unticked = !dialog->checkBox_2->isChecked();
        const bool resent = QTest::qWaitFor([&] { return stub.requests.size() == 2; }, 10000);
        Q_UNUSED(resent);  // compared below
        dialog->reject();
    });
    Kirr_searchUpdate();
    QVERIFY(proxyShown);
    QVERIFY(unticked);
    QCOMPARE(stub.requests.size(), 2);
    QCOMPARE(stub.requests[1].requestLine, QByteArray("POST /services/ProductData.asmx HTTP/1.1"));
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    usePrivateHome(home);
    // The program's own settings store chooses the interface language.
    QSettings(home.path() + QStringLiteral("/config/Vandrelith/pelto5.conf"), QSettings::IniFormat)
        .setValue(QStringLiteral("language"), language());
    QApplication app(argc, argv);
    UrlCatcher catcher;
    ScreensTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_screens.moc"
