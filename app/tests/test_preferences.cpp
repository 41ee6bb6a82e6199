// The preferences dialog: what it shows, what each edit stores and tells the
// controller, the language and picker lists, and the restart notice.

#include "AppTestSupport.h"
#include "settings/pq_ControllerObject.h"
#include "settings/pq_PreferencesDialog.h"
#include "settings/pq_Settings.h"
#include "platform/program_folders.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <cstring>

namespace {

const char* const kThresholdEdits[] = {
    "ledColorDeltaEThreshLower", "ledColorDeltaEThreshUpper", "ledNeutralDeltaEThresh",
    "ledNeutralLightThresh",     "ledNeutralChromaThresh",    "ledOverallDeltaEThresh"};

struct Notice {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// The message boxes that action shows, each closed with its OK button.
QList<Notice> noticesShownBy(const std::function<void()>& action)
{
    QList<Notice> notices;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&notices] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        notices.append({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size())});
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
    });
    watcher.start();
    action();
    QCoreApplication::processEvents();
    return notices;
}

// Whether the stored file holds the key (what a setter would have written).
bool stored(const QString& name)
{
    return pq_Settings::instance()->value("/" + name, QVariant()).isValid();
}

void chooseWithKeyboard(QComboBox* list, const QVariant& data)
{
    const int target = list->findData(data);
    QVERIFY(target >= 0);
    while (list->currentIndex() < target)
        QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > target)
        QTest::keyClick(list, Qt::Key_Up);
}

void clickOk(QDialog& dialog)
{
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    QVERIFY(buttons);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

}  // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shownValues_data();
    void shownValues();
    void form();
    void typingStoresEveryValidStep();
    void typedKeyByKey_data();
    void typedKeyByKey();
    void entriesThatRestore_data();
    void entriesThatRestore();
    void languageList_data();
    void languageList();
    void notice_data();
    void notice();
    void languageChoice();
    void pickerArea();

private:
    ControllerStandIn* m_controller = nullptr;
};

void PreferencesTest::init()
{
    m_controller = new ControllerStandIn;
    pq_setControllerObject(m_controller);
}

void PreferencesTest::cleanup()
{
    pq_setControllerObject(nullptr);
    delete m_controller;
    m_controller = nullptr;
    pq_Settings::destroyInstance();
    QFile::remove(settingsFilePath());
    QLocale::setDefault(QLocale::c());
}

void PreferencesTest::shownValues_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addRow("C") << QLocale::c();
    QTest::addRow("German") << QLocale(QLocale::German, QLocale::Germany);
}

// A fresh store's thresholds with one decimal and a point, in any locale.
void PreferencesTest::shownValues()
{
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    pq_PreferencesDialog dialog;
    QStringList shown;
    for (const char* name : kThresholdEdits)
        shown << dialog.findChild<QLineEdit*>(name)->text();
    QCOMPARE(shown, QStringList({"5.0", "10.0", "2.8", "2.0", "2.0", "3.0"}));
    QCOMPARE(dialog.findChild<QComboBox*>("cbbPickerRadius")->currentText(), QString("5 x 5"));
}

void PreferencesTest::form()
{
    pq_PreferencesDialog dialog;
    QCOMPARE(dialog.objectName(), QString("pq_PreferencesDialog"));
    QCOMPARE(dialog.windowTitle(), QString("Preferences Dialog"));
    QCOMPARE(dialog.size(), QSize(461, 317));
    QCOMPARE(dialog.findChild<QLabel*>("lblOverallDeltaEThresh")->text(),
             QString::fromUtf8("Overall \u2206E Average: red starting from"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok);
    QStringList picker;
    auto* radius = dialog.findChild<QComboBox*>("cbbPickerRadius");
    for (int i = 0; i < radius->count(); ++i)
        picker << radius->itemText(i) + "=" + radius->itemData(i).toString();
    QCOMPARE(picker, QStringList({"1 x 1=0", "3 x 3=1", "5 x 5=2"}));
}

void PreferencesTest::typingStoresEveryValidStep()
{
    {
        pq_PreferencesDialog dialog;
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>("ledColorDeltaEThreshUpper");
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "7.5");
        QCOMPARE(edit->text(), QString("7.5"));
        QCOMPARE(m_controller->calls, 3);
        QCOMPARE(m_controller->upperThresholds, QList<double>({7.0, 7.0, 7.5}));
        QCOMPARE(pq_Settings::instance()->colorDeltaEThresholdUpper(), 7.5);
        // The lower threshold may now lie above the upper one.
        auto* lower = dialog.findChild<QLineEdit*>("ledColorDeltaEThreshLower");
        lower->setFocus();
        QTest::keyClick(lower, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(lower, "9");
        QCOMPARE(pq_Settings::instance()->colorDeltaEThresholdLower(), 9.0);
        QCOMPARE(m_controller->calls, 4);
    }
    pq_PreferencesDialog reopened;
    QCOMPARE(reopened.findChild<QLineEdit*>("ledColorDeltaEThreshUpper")->text(), QString("7.5"));
    QCOMPARE(reopened.findChild<QLineEdit*>("ledColorDeltaEThreshLower")->text(), QString("9.0"));
}

void PreferencesTest::typedKeyByKey_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");   // the field after the last key
    QTest::addColumn<QList<double>>("stored");  // each value stored on the way
    QTest::addRow("below 1") << "0.5" << "0.5" << QList<double>({0.5});
    QTest::addRow("two decimals") << "12.25" << "12.25" << QList<double>({1, 12, 12, 12.2, 12.25});
    QTest::addRow("leading point") << ".75" << ".75" << QList<double>({0.7, 0.75});
    QTest::addRow("exponent refused") << "1e3" << "13" << QList<double>({1, 13});
    QTest::addRow("second point refused") << "1.2.5" << "1.25" << QList<double>({1, 1, 1.2, 1.25});
    QTest::addRow("sign refused") << "-2" << "2" << QList<double>({2});
}

// Typed one key at a time over the selected text: every key a threshold
// cannot hold is refused, the entries on the way to a value below 1 stay.
void PreferencesTest::typedKeyByKey()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(QList<double>, stored);
    pq_PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    for (const char* name : kThresholdEdits) {
        m_controller->calls = 0;
        m_controller->upperThresholds.clear();
        auto* edit = dialog.findChild<QLineEdit*>(name);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        for (const QChar key : keys)
            QTest::keyClick(edit, key.toLatin1());
        QCOMPARE(edit->text(), shown);
        QCOMPARE(m_controller->calls, stored.size());
        if (std::strcmp(name, "ledColorDeltaEThreshUpper") == 0)
            QCOMPARE(m_controller->upperThresholds, stored);
        QTest::keyClick(edit, Qt::Key_Tab);
        QCOMPARE(edit->text(), shown);
    }
    pq_Settings* settings = pq_Settings::instance();
    const double last = stored.last();
    QCOMPARE(QList<double>({settings->colorDeltaEThresholdLower(), settings->colorDeltaEThresholdUpper(),
                            settings->neutralDeltaEThreshold(), settings->neutralLightThreshold(),
                            settings->neutralChromaThreshold(), settings->overallDeltaEThreshold()}),
             QList<double>({last, last, last, last, last, last}));
}

void PreferencesTest::entriesThatRestore_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("pasted");  // else typed over the selected text
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("shownWhileEditing");  // before editing finishes
    const QLocale c = QLocale::c();
    const QString before;  // the stored value: the field is left unchanged
    QTest::addRow("minus") << "-" << false << c << before;
    QTest::addRow("emptied") << "" << false << c << "";
    QTest::addRow("zero") << "0" << false << c << "0";
    QTest::addRow("zero point") << "0." << false << c << "0.";
    QTest::addRow("point") << "." << false << c << ".";
    QTest::addRow("zeros") << "0.00" << false << c << "0.00";
    QTest::addRow("negative") << "-3" << true << c << before;
    QTest::addRow("inf") << "inf" << true << c << before;
    QTest::addRow("nan") << "nan" << true << c << before;
    QTest::addRow("abc") << "abc" << true << c << before;
    QTest::addRow("huge") << "1e999" << true << c << before;
    QTest::addRow("comma, German locale") << "1,5" << true << QLocale(QLocale::German, QLocale::Germany)
                                          << before;
}

// Entries that are no threshold store nothing; the stored value shows again
// when editing finishes, by Enter or by leaving the field.
void PreferencesTest::entriesThatRestore()
{
    QFETCH(QString, entry);
    QFETCH(bool, pasted);
    QFETCH(QLocale, locale);
    QFETCH(QString, shownWhileEditing);
    QLocale::setDefault(locale);

    pq_PreferencesDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    bool byEnter = false;
    for (const char* name : kThresholdEdits) {
        auto* edit = dialog.findChild<QLineEdit*>(name);
        const QString before = edit->text();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        if (entry.isEmpty()) {
            QTest::keyClick(edit, Qt::Key_Backspace);
        } else if (pasted) {
            QGuiApplication::clipboard()->setText(entry);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClicks(edit, entry);
        }
        QCOMPARE(edit->text(), shownWhileEditing.isNull() ? before : shownWhileEditing);
        // Enter also presses OK, which closes the dialog: Enter on the last field only.
        byEnter = edit == dialog.findChild<QLineEdit*>(kThresholdEdits[5]);
        QTest::keyClick(edit, byEnter ? Qt::Key_Return : Qt::Key_Tab);
        QCOMPARE(edit->text(), before);
    }
    QVERIFY(byEnter);
    QCOMPARE(m_controller->calls, 0);
    for (const char* name : {"colorDeltaEThresholdLower", "colorDeltaEThresholdUpper", "neutralDeltaEThreshold",
                             "neutralLightThreshold", "neutralChromaThreshold", "overallDeltaEThreshold"})
        QVERIFY2(!stored(name), name);
}

void PreferencesTest::languageList_data()
{
    QTest::addColumn<QString>("storedLanguage");
    QTest::addColumn<QString>("selected");
    QTest::addRow("stored de") << "de" << "de";
    QTest::addRow("stored en") << "en" << "en";
    QTest::addRow("not offered") << "fr" << "en";
    QTest::addRow("none stored") << "" << "en";
    QTest::addRow("offered only by file") << "xx" << "en";
}

// pelto_de, pelto_en and pelto_xx lie in the resources folder: the list names
// the two known languages in the folder's order.
void PreferencesTest::languageList()
{
    QFETCH(QString, storedLanguage);
    QFETCH(QString, selected);
    if (!storedLanguage.isEmpty())
        pq_Settings::instance()->setLanguage(storedLanguage);

    QStringList expected;
    const QStringList files = QDir(platform::resourcesFolderPath()).entryList({"pelto_*.qm"}, QDir::Files, QDir::Unsorted);
    QCOMPARE(files.size(), 3);
    for (const QString& file : files) {
        if (file == "pelto_de.qm")
            expected << "german=de";
        else if (file == "pelto_en.qm")
            expected << "english=en";
    }
    pq_PreferencesDialog dialog;
    auto* list = dialog.findChild<QComboBox*>("cbbLanguage");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i) + "=" + list->itemData(i).toString();
    QCOMPARE(shown, expected);
    QCOMPARE(list->currentData().toString(), selected);
}

void PreferencesTest::notice_data()
{
    const QString later = " The changed language will take effect after the next start of the program.";
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::addRow("de") << "de"
                        << QString::fromUtf8(
                               "GERMAN: Die Spracheinstellungen werden beim nächsten Programmstart übernommen.");
    QTest::addRow("fr") << "fr" << "FRENCH:" + later;
    QTest::addRow("it") << "it" << "ITALIAN:" + later;
    QTest::addRow("es") << "es" << "SPANISH:" + later;
    QTest::addRow("ja") << "ja" << "JAPANESE:" + later;
    QTest::addRow("ru") << "ru" << "RUSSIAN:" + later;
    QTest::addRow("zh") << "zh" << "CHINESE:" + later;
    QTest::addRow("another") << "pt" << "ENGLISH:" + later;
}

// OK after the language changed from en shows the notice of the new one.
void PreferencesTest::notice()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    pq_Settings::instance()->setLanguage("en");
    pq_PreferencesDialog dialog;
    dialog.show();
    pq_Settings::instance()->setLanguage(code);
    const QList<Notice> notices = noticesShownBy([&dialog] { clickOk(dialog); });
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices[0].title, QString("pelto"));
    QCOMPARE(notices[0].text, text);
    QCOMPARE(notices[0].icon, QMessageBox::Information);
    QCOMPARE(notices[0].buttons, 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

void PreferencesTest::languageChoice()
{
    pq_Settings* settings = pq_Settings::instance();
    settings->setLanguage("en");
    {
        // Changed and changed back: no notice.
        pq_PreferencesDialog dialog;
        dialog.show();
        auto* list = dialog.findChild<QComboBox*>("cbbLanguage");
        chooseWithKeyboard(list, "de");
        QCOMPARE(settings->language(), QString("de"));
        chooseWithKeyboard(list, "en");
        QCOMPARE(settings->language(), QString("en"));
        QCOMPARE(noticesShownBy([&dialog] { clickOk(dialog); }).size(), 0);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    {
        // Changed, then Escape: stored, no notice.
        pq_PreferencesDialog dialog;
        dialog.show();
        chooseWithKeyboard(dialog.findChild<QComboBox*>("cbbLanguage"), "de");
        QCOMPARE(noticesShownBy([&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); }).size(), 0);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(settings->language(), QString("de"));
    }
    // A stored text that is no language code reads as none; choosing English stores it.
    pq_Settings::destroyInstance();
    QSettings raw;
    raw.setValue("language", "C");
    raw.sync();
    pq_PreferencesDialog dialog;
    auto* list = dialog.findChild<QComboBox*>("cbbLanguage");
    QCOMPARE(list->currentData().toString(), QString("en"));
    emit list->activated(list->currentIndex());
    QCOMPARE(pq_Settings::instance()->language(), QString("en"));
}

void PreferencesTest::pickerArea()
{
    pq_Settings* settings = pq_Settings::instance();
    {
        pq_PreferencesDialog dialog;
        auto* list = dialog.findChild<QComboBox*>("cbbPickerRadius");
        emit list->activated(list->findData(2));  // the stored default
        QVERIFY(!stored("pickerRadius"));
        emit list->activated(list->findData(1));
        QCOMPARE(settings->pickerRadius(), 1);
    }
    settings->setPickerRadius(7);
    pq_PreferencesDialog dialog;
    auto* list = dialog.findChild<QComboBox*>("cbbPickerRadius");
    QCOMPARE(list->currentText(), QString("5 x 5"));
    QCOMPARE(settings->pickerRadius(), 7);
}

int main(int argc, char** argv)
{
    QTemporaryDir home;
    usePrivateHome(home);
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5");
    PreferencesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_preferences.moc"
