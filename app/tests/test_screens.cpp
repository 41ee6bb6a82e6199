// The preferences dialog as a user meets it, in a real window system (run
// under Xvfb): the program's own resources and translations, input through the
// platform's event path, and a screenshot of every window in SCREENSHOT_DIR.
// The language comes from VP_SCREEN_LANGUAGE ("en" unless set); the user
// switches to the other shipped language.
#define QTEST_QPA_MOUSE_HANDLING

#include "AppTestSupport.h"
#include "app/pq_Application.h"
#include "settings/pq_ControllerObject.h"
#include "settings/pq_PreferencesDialog.h"
#include "settings/pq_Settings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QtTest>

namespace {

pq_Application* theApplication = nullptr;
ControllerStandIn* theController = nullptr;

QString language()
{
    const QString chosen = qEnvironmentVariable("VP_SCREEN_LANGUAGE");
    return chosen.isEmpty() ? QStringLiteral("en") : chosen;
}

QString otherLanguage()
{
    return language() == QLatin1String("de") ? QStringLiteral("en") : QStringLiteral("de");
}

void waitExposed(QWidget* window)
{
    QTRY_VERIFY(window->isVisible() && window->windowHandle() && window->windowHandle()->isExposed());
}

// What the screen shows of the window, its surroundings included.
void saveScreenshot(QWidget* window, const QString& name)
{
    waitExposed(window);
    QTest::qWait(100);
    const QRect area = window->frameGeometry().adjusted(-10, -10, 10, 10);
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    QVERIFY(!shot.isNull());
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    const QString path = QStringLiteral(SCREENSHOT_DIR "/") + language() + QLatin1Char('-') + name + QStringLiteral(".png");
    QVERIFY2(shot.save(path), qPrintable(path));
}

// Runs inspect on the next modal widget of type T; when inspect leaves it
// open (a failed check), it is closed so that the test does not wait forever.
template <typename T>
void whenShown(std::function<void(T*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        QPointer<T> widget;
        const bool shown = QTest::qWaitFor([&widget] {
            widget = qobject_cast<T*>(QApplication::activeModalWidget());
            return widget && widget->isVisible();
        });
        if (!shown || !widget) {
            QFAIL("the window did not show");
            return;
        }
        inspect(widget);
        if (widget && widget->isVisible())
            widget->close();
    });
}

void typeOnKeyboard(QWindow* window, const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(window, c.toLatin1());
}

}  // namespace

class ScreensTest : public QObject {
    Q_OBJECT

private slots:
    void editThresholdAndLanguage();
    void reopened();
};

// The user clicks into a threshold, types a new one, picks the other language
// from the list with the mouse and presses OK, which shows the notice.
void ScreensTest::editThresholdAndLanguage()
{
    QString notice;
    whenShown<pq_PreferencesDialog>([&notice](pq_PreferencesDialog* dialog) {
        saveScreenshot(dialog, "preferences");
        QWindow* window = dialog->windowHandle();
        QTRY_VERIFY(window->isActive());
        const QString languageLabel = dialog->findChild<QLabel*>("lblLanguage")->text();
        QCOMPARE(languageLabel, language() == QLatin1String("de") ? QString("Sprache") : QString("Language"));

        auto* upper = dialog->findChild<QLineEdit*>("ledColorDeltaEThreshUpper");
        QTest::mouseClick(upper, Qt::LeftButton);
        QTRY_VERIFY(upper->hasFocus());
        QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
        typeOnKeyboard(window, "7.5");
        QCOMPARE(upper->text(), QString("7.5"));
        QCOMPARE(pq_Settings::instance()->colorDeltaEThresholdUpper(), 7.5);
        QCOMPARE(theController->upperThresholds, QList<double>({7.0, 7.0, 7.5}));
        // A minus sign puts the stored value back at once.
        QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
        typeOnKeyboard(window, "-");
        QCOMPARE(upper->text(), QString("7.5"));
        QCOMPARE(theController->calls, 3);

        auto* list = dialog->findChild<QComboBox*>("cbbLanguage");
        QTest::mouseClick(list, Qt::LeftButton);
        QWidget* popup = list->view()->window();
        waitExposed(popup);
        saveScreenshot(popup, "languages");
        const QRect item = list->view()->visualRect(list->model()->index(list->findData(otherLanguage()), 0));
        QVERIFY(!item.isEmpty());
        QTest::mouseClick(list->view()->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        QTRY_VERIFY(!popup->isVisible());
        QCOMPARE(pq_Settings::instance()->language(), otherLanguage());
        saveScreenshot(dialog, "preferences-edited");

        whenShown<QMessageBox>([&notice](QMessageBox* box) {
            saveScreenshot(box, "notice");
            notice = box->text();
            QTRY_VERIFY(box->windowHandle()->isActive());
            QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            QTRY_VERIFY(!box->isVisible());
        });
        auto* ok = dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY(!dialog->isVisible());
    });
    theApplication->catchActionPreferences();
    // The notice speaks the new language.
    QCOMPARE(notice, otherLanguage() == QLatin1String("de")
                         ? QString::fromUtf8("Die Spracheinstellungen werden beim nächsten Programmstart übernommen.")
                         : QString("The changed language will take effect after the next start of the program."));
}

void ScreensTest::reopened()
{
    QString shown;
    whenShown<pq_PreferencesDialog>([&shown](pq_PreferencesDialog* dialog) {
        shown = dialog->findChild<QLineEdit*>("ledColorDeltaEThreshUpper")->text();
        saveScreenshot(dialog, "reopened");
        QTRY_VERIFY(dialog->windowHandle()->isActive());
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog->isVisible());
    });
    theApplication->catchActionPreferences();
    QCOMPARE(shown, QString("7.5"));
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    usePrivateHome(home);
    QSettings(settingsFilePath(), QSettings::IniFormat).setValue("language", language());
    int appArgc = 1;
    theApplication = new pq_Application(appArgc, argv);
    UrlCatcher urls;
    UpdateGuard updates;
    ControllerStandIn controller;
    theController = &controller;
    pq_setControllerObject(&controller);
    ScreensTest test;
    const int result = QTest::qExec(&test, argc, argv);
    pq_setControllerObject(nullptr);
    delete theApplication;
    return result;
}

#include "test_screens.moc"
