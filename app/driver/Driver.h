#pragma once
// Works the real program through its window for tests and benchmarks: a
// program built from the product's own main with this library linked in runs
// the scenario once the application object exists, through real mouse, key
// and drop events, and ends with the scenario's verdict.

#include <QElapsedTimer>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <stdexcept>

class QQuickItem;
class QQuickWindow;
class QWindow;

// A failed step; the driver reports it and ends the program with status 1.
class DriverFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Driver {
public:
    // Milliseconds a wait allows unless told otherwise; sanitizer builds are slow.
    static constexpr int DefaultTimeout = 30000;

    // The program's main window, once it is exposed.
    QQuickWindow* window();

    // The first visible item of that objectName; fails after the timeout.
    QQuickItem* item(const QString& objectName, int timeout = DefaultTimeout);
    // The visible item of that objectName now, or null.
    QQuickItem* findVisible(const QString& objectName);
    // Any item of that objectName, shown or not, or null.
    QQuickItem* findAny(const QString& objectName);
    bool isVisible(const QString& objectName) { return findVisible(objectName) != nullptr; }
    // The first item of that objectName inside parent (shown or not), or null.
    static QQuickItem* child(QQuickItem* parent, const QString& objectName);
    // The visible item of that objectName inside parent; fails after the timeout.
    QQuickItem* itemIn(QQuickItem* parent, const QString& objectName, int timeout = DefaultTimeout);
    // The "text" property of the visible item of that objectName.
    QString text(const QString& objectName);
    // The first visible item of that objectName below root (a list's delegate), or null.
    QQuickItem* findVisibleIn(QQuickItem* root, const QString& objectName);

    // Waits until the condition holds, processing events; fails with the message after the timeout.
    void waitFor(const std::function<bool()>& condition, const QString& what, int timeout = DefaultTimeout);
    // Processes events for that long.
    void pause(int milliseconds);
    // Waits for the window to draw its next frame.
    void waitForFrame(int timeout = DefaultTimeout);
    // Runs the action and returns the milliseconds from its start to the
    // swap of the first frame whose scene, when it was synchronised, met the
    // condition. The condition is evaluated during synchronisation, while
    // the GUI thread waits for the render thread: it must only read.
    qint64 timeToFrame(const std::function<void()>& action, const std::function<bool()>& shows,
                       const QString& what, int timeout = DefaultTimeout);

    // Mouse input at the centre of an item (or at a point of the item's own coordinates).
    void click(const QString& objectName);
    void click(QQuickItem* item);
    void clickAt(QQuickItem* item, QPointF local);
    void hover(QQuickItem* item, QPointF local);
    void drag(QQuickItem* item, QPointF fromLocal, QPointF toLocal, int steps = 8);

    // Keys to the window's focus item.
    void type(const QString& text);
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Selects all text of the field and types the text in its place.
    void replaceText(const QString& objectName, const QString& text);

    // Drops local files on an item as a drag from the desktop delivers
    // them: drag enter, drag move and drop carrying a text/uri-list.
    void dropFiles(QQuickItem* target, const QStringList& paths);
    // The same with any URLs (a web address, a folder).
    void dropUrls(QQuickItem* target, const QList<QUrl>& urls);

    // A visible top-level window other than the main window (a file dialog),
    // once one shows; fails after the timeout.
    QWindow* otherWindow(int timeout = DefaultTimeout);
    // True while such a window shows.
    bool hasOtherWindow();

    // Evaluates a JavaScript expression in the main window's context.
    QVariant evaluate(const QString& expression);

    // Saves the window's picture as NAME.png into the screenshot folder and prints its path.
    QString shoot(const QString& name);
    // The same of the whole screen, with every window on it (dialogs too).
    QString shootScreen(const QString& name);
    QString screenshotFolder() const { return m_folder; }
    void setScreenshotFolder(const QString& folder) { m_folder = folder; }

    // Fails the scenario with the message unless the condition holds.
    void require(bool condition, const QString& message);

    // Milliseconds since the process started.
    static qint64 sinceStart();
    // Milliseconds since the process started at which main reported a stage
    // of its start-up ("ready": application and controller; "loaded":
    // main.qml), or the main window swapped its first frame after loading
    // ("frame"); -1 until then.
    static qint64 startupStage(const QString& stage);

private:
    QQuickWindow* m_window = nullptr;
    QString m_folder;
};

// The scenario a driven program runs: defined once per driven program. It
// returns the program's exit status; a DriverFailure ends it with 1.
int vp_driverScenario(Driver& driver, const QStringList& arguments);
