#include "Driver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QtTest>
#include <QUrl>

#include <atomic>

#include <time.h>
#include <unistd.h>

namespace {

// Milliseconds from the process's start to the loading of this library,
// read from the kernel's record of the start (in clock ticks since boot).
qint64 startOffset()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return 0;
    const double startSeconds = fields.at(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowSeconds = double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
    return qMax<qint64>(0, qint64((nowSeconds - startSeconds) * 1000.0));
}

struct ProcessClock {
    qint64 offset = startOffset();
    QElapsedTimer timer;
    ProcessClock() { timer.start(); }
};

ProcessClock& processClock()
{
    static ProcessClock clock;
    return clock;
}
// Started while the program loads, before main.
const bool clockStarted = (processClock(), true);

QQuickItem* findIn(QQuickItem* root, const QString& name, bool visibleOnly)
{
    if (visibleOnly && (!root->isVisible() || root->opacity() <= 0.0))
        return nullptr;
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems()) {
        if (QQuickItem* found = findIn(child, name, visibleOnly))
            return found;
    }
    return nullptr;
}

}  // namespace

qint64 Driver::sinceStart()
{
    Q_UNUSED(clockStarted);
    return processClock().offset + processClock().timer.elapsed();
}

QQuickWindow* Driver::window()
{
    if (m_window)
        return m_window;
    waitFor([this] {
        for (QWindow* w : QGuiApplication::topLevelWindows()) {
            auto* quick = qobject_cast<QQuickWindow*>(w);
            if (quick && quick->objectName() == QLatin1String("mainWindow") && quick->isExposed()) {
                m_window = quick;
                return true;
            }
        }
        return false;
    }, QStringLiteral("the main window to be shown"), 120000);
    return m_window;
}

QQuickItem* Driver::findVisible(const QString& objectName)
{
    return findIn(window()->contentItem(), objectName, true);
}

QQuickItem* Driver::findVisibleIn(QQuickItem* root, const QString& objectName)
{
    return root ? findIn(root, objectName, true) : nullptr;
}

QQuickItem* Driver::findAny(const QString& objectName)
{
    if (QQuickItem* found = findIn(window()->contentItem(), objectName, false))
        return found;
    return window()->findChild<QQuickItem*>(objectName);
}

QQuickItem* Driver::child(QQuickItem* parent, const QString& objectName)
{
    if (!parent)
        return nullptr;
    for (QQuickItem* c : parent->childItems()) {
        if (QQuickItem* found = findIn(c, objectName, false))
            return found;
    }
    return parent->findChild<QQuickItem*>(objectName);
}

QQuickItem* Driver::itemIn(QQuickItem* parent, const QString& objectName, int timeout)
{
    QQuickItem* found = nullptr;
    waitFor([&] {
        found = nullptr;
        for (QQuickItem* c : parent->childItems()) {
            if ((found = findIn(c, objectName, true)) != nullptr)
                return true;
        }
        return false;
    }, QStringLiteral("a visible item \"%1\" in \"%2\"").arg(objectName, parent->objectName()), timeout);
    return found;
}

QString Driver::text(const QString& objectName)
{
    return item(objectName)->property("text").toString();
}

QQuickItem* Driver::item(const QString& objectName, int timeout)
{
    QQuickItem* found = nullptr;
    waitFor([&] { return (found = findVisible(objectName)) != nullptr; },
            QStringLiteral("a visible item \"%1\"").arg(objectName), timeout);
    return found;
}

void Driver::waitFor(const std::function<bool()>& condition, const QString& what, int timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout)
            throw DriverFailure(QStringLiteral("timed out after %1 ms waiting for %2")
                                    .arg(timeout).arg(what).toStdString());
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qSleep(5);
    }
}

void Driver::pause(int milliseconds)
{
    QTest::qWait(milliseconds);
}

void Driver::waitForFrame(int timeout)
{
    // The threaded render loop swaps on its own thread.
    std::atomic<bool> swapped{false};
    QQuickWindow* w = window();
    const auto connection = QObject::connect(w, &QQuickWindow::frameSwapped, w, [&swapped] { swapped = true; },
                                             Qt::DirectConnection);
    w->update();
    try {
        waitFor([&] { return swapped.load(); }, QStringLiteral("a frame"), timeout);
    } catch (...) {
        QObject::disconnect(connection);
        throw;
    }
    QObject::disconnect(connection);
}

qint64 Driver::timeToFrame(const std::function<void()>& action, const std::function<bool()>& shows,
                           const QString& what, int timeout)
{
    QQuickWindow* w = window();
    // Synchronisation runs while the GUI thread waits, so a scene synchronised
    // once shows() holds is the state it describes.
    std::atomic<bool> synced{false};
    std::atomic<qint64> swappedAt{-1};
    const auto sync = QObject::connect(w, &QQuickWindow::afterSynchronizing, w, [&] {
        if (!synced && shows())
            synced = true;
    }, Qt::DirectConnection);
    const auto swap = QObject::connect(w, &QQuickWindow::frameSwapped, w, [&] {
        if (synced && swappedAt < 0)
            swappedAt = sinceStart();
    }, Qt::DirectConnection);
    const qint64 start = sinceStart();
    try {
        action();
        w->update();
        waitFor([&] { return swappedAt >= 0; }, QStringLiteral("a frame showing %1").arg(what), timeout);
    } catch (...) {
        QObject::disconnect(sync);
        QObject::disconnect(swap);
        throw;
    }
    QObject::disconnect(sync);
    QObject::disconnect(swap);
    return swappedAt - start;
}


void Driver::click(const QString& objectName)
{
    click(item(objectName));
}

void Driver::click(QQuickItem* target)
{
    clickAt(target, QPointF(target->width() / 2, target->height() / 2));
}

void Driver::clickAt(QQuickItem* target, QPointF local)
{
    const QPoint point = target->mapToScene(local).toPoint();
    QTest::mouseMove(window(), point);
    QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, point);
    pause(50);
}

void Driver::hover(QQuickItem* target, QPointF local)
{
    QTest::mouseMove(window(), target->mapToScene(local).toPoint());
}

void Driver::drag(QQuickItem* target, QPointF fromLocal, QPointF toLocal, int steps)
{
    const QPointF from = target->mapToScene(fromLocal);
    const QPointF to = target->mapToScene(toLocal);
    QTest::mouseMove(window(), from.toPoint());
    QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, from.toPoint());
    for (int i = 1; i <= steps; ++i) {
        const QPointF at = from + (to - from) * (double(i) / steps);
        QTest::mouseMove(window(), at.toPoint(), 10);
    }
    QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, to.toPoint());
    pause(50);
}

void Driver::type(const QString& text)
{
    for (const QChar c : text) {
        // Printable ASCII keys share their code with the upper-case character.
        const ushort code = c.toUpper().unicode();
        const Qt::Key key = code >= 0x20 && code < 0x7f ? Qt::Key(code) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window(), key, QString(c), Qt::NoModifier);
    }
}

void Driver::key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(window(), Qt::Key(key), modifiers);
}

void Driver::replaceText(const QString& objectName, const QString& text)
{
    click(objectName);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Backspace);
    type(text);
}

void Driver::dropFiles(QQuickItem* target, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    dropUrls(target, urls);
}

void Driver::dropUrls(QQuickItem* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &enter);
    QDragMoveEvent move(at + QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &move);
    QDropEvent drop(at + QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window(), &drop);
    pause(50);
}

bool Driver::hasOtherWindow()
{
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
        if (w != window() && w->isVisible() && w->isExposed() && w->type() != Qt::ToolTip)
            return true;
    }
    return false;
}

QWindow* Driver::otherWindow(int timeout)
{
    QWindow* found = nullptr;
    waitFor([&] {
        for (QWindow* w : QGuiApplication::topLevelWindows()) {
            if (w != window() && w->isVisible() && w->isExposed() && w->type() != Qt::ToolTip) {
                found = w;
                return true;
            }
        }
        return false;
    }, QStringLiteral("a window besides the main window"), timeout);
    return found;
}

QVariant Driver::evaluate(const QString& expression)
{
    QQmlExpression script(qmlContext(window()), window(), expression);
    const QVariant result = script.evaluate();
    if (script.hasError())
        throw DriverFailure(QStringLiteral("%1: %2").arg(expression, script.error().toString()).toStdString());
    return result;
}

QString Driver::shoot(const QString& name)
{
    if (m_folder.isEmpty())
        return {};
    QDir().mkpath(m_folder);
    const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
    if (!window()->grabWindow().save(path))
        throw DriverFailure(QStringLiteral("cannot save the screenshot %1").arg(path).toStdString());
    fprintf(stdout, "screenshot %s\n", qPrintable(path));
    fflush(stdout);
    return path;
}

QString Driver::shootScreen(const QString& name)
{
    if (m_folder.isEmpty())
        return {};
    QDir().mkpath(m_folder);
    const QString path = QDir(m_folder).filePath(name + QStringLiteral(".png"));
    QScreen* screen = window()->screen();
    if (!screen || !screen->grabWindow(0).save(path))
        throw DriverFailure(QStringLiteral("cannot save the screenshot %1").arg(path).toStdString());
    fprintf(stdout, "screenshot %s\n", qPrintable(path));
    fflush(stdout);
    return path;
}

void Driver::require(bool condition, const QString& message)
{
    if (!condition)
        throw DriverFailure(message.toStdString());
}
