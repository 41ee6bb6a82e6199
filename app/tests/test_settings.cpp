// The settings store: defaults, round trips through a new process, the
// layout of the stored file, and stored texts that are no value of the key.

#include "AppTestSupport.h"
#include "settings/pq_Settings.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <functional>

using ReadSetting = std::function<QVariant(const pq_Settings*)>;
Q_DECLARE_METATYPE(ReadSetting)

namespace {

const QStringList kKeyNames = {
    "autoJobsList",           "disabledJobsList",       "fixedJobsList",
    "sortingJobsAuto",        "showIntro",              "colorDeltaEThresholdLower",
    "colorDeltaEThresholdUpper", "neutralDeltaEThreshold", "neutralLightThreshold",
    "neutralChromaThreshold", "overallDeltaEThreshold", "language",
    "pickerRadius"};

// Values unlike every default, written by a second process.
void writeEveryKey()
{
    pq_Settings* s = pq_Settings::instance();
    s->setAutoJobsList(QString::fromUtf8("Job, one|Zweiter Jöb|@at"));
    s->setDisabledJobsList(QString());
    s->setFixedJobsList("b|a");
    s->setSortingJobsAuto(false);
    s->setShowIntro(false);
    s->setColorDeltaEThresholdLower(1.25);
    s->setColorDeltaEThresholdUpper(12.5);
    s->setNeutralDeltaEThreshold(0.1);
    s->setNeutralLightThreshold(3.3);
    s->setNeutralChromaThreshold(4.75);
    s->setOverallDeltaEThreshold(0.001);
    s->setLanguage("de");
    s->setPickerRadius(0);
    pq_Settings::destroyInstance();
}

// Stores text under the key's name behind the singleton's back.
void storeRaw(const QString& name, const QString& text)
{
    pq_Settings::destroyInstance();
    QSettings store;
    store.setValue(name, text);
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void freshStore();
    void roundTripThroughAnotherProcess();
    void textsThatAreNoValue_data();
    void textsThatAreNoValue();
};

void SettingsTest::cleanup()
{
    pq_Settings::destroyInstance();
    QFile::remove(settingsFilePath());
}

void SettingsTest::freshStore()
{
    pq_Settings* s = pq_Settings::instance();
    QVERIFY(s->sortingJobsAuto());
    QVERIFY(s->showIntro());
    QCOMPARE(s->colorDeltaEThresholdLower(), 5.0);
    QCOMPARE(s->colorDeltaEThresholdUpper(), 10.0);
    QCOMPARE(s->neutralDeltaEThreshold(), 2.828);
    QCOMPARE(s->neutralLightThreshold(), 2.0);
    QCOMPARE(s->neutralChromaThreshold(), 2.0);
    QCOMPARE(s->overallDeltaEThreshold(), 3.0);
    QCOMPARE(s->pickerRadius(), 2);
    QCOMPARE(s->autoJobsList(), QString());
    QCOMPARE(s->disabledJobsList(), QString());
    QCOMPARE(s->fixedJobsList(), QString());
    QCOMPARE(s->language(), QString());
    QVERIFY(!s->hasAutoJobsList());
    QVERIFY(!s->hasDisabledJobsList());
    QVERIFY(!s->hasFixedJobsList());
    QVERIFY(!s->hasSortingJobsAuto());
    QCOMPARE(s->value("/showIntro", "absent"), QVariant("absent"));
    // Reading writes nothing.
    pq_Settings::destroyInstance();
    QVERIFY(!QFile::exists(settingsFilePath()));
}

void SettingsTest::roundTripThroughAnotherProcess()
{
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedChannels);
    writer.start(QCoreApplication::applicationFilePath(), {"--write-every-key"});
    QVERIFY(writer.waitForFinished(60000));
    QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(writer.exitCode(), 0);

    pq_Settings* s = pq_Settings::instance();
    QCOMPARE(s->autoJobsList(), QString::fromUtf8("Job, one|Zweiter Jöb|@at"));
    QCOMPARE(s->disabledJobsList(), QString());
    QCOMPARE(s->fixedJobsList(), QString("b|a"));
    QCOMPARE(s->sortingJobsAuto(), false);
    QCOMPARE(s->showIntro(), false);
    QCOMPARE(s->colorDeltaEThresholdLower(), 1.25);
    QCOMPARE(s->colorDeltaEThresholdUpper(), 12.5);
    QCOMPARE(s->neutralDeltaEThreshold(), 0.1);
    QCOMPARE(s->neutralLightThreshold(), 3.3);
    QCOMPARE(s->neutralChromaThreshold(), 4.75);
    QCOMPARE(s->overallDeltaEThreshold(), 0.001);
    QCOMPARE(s->language(), QString("de"));
    QCOMPARE(s->pickerRadius(), 0);
    // An empty list is stored too.
    QVERIFY(s->hasAutoJobsList());
    QVERIFY(s->hasDisabledJobsList());
    QVERIFY(s->hasFixedJobsList());
    QVERIFY(s->hasSortingJobsAuto());

    // Every key stands at the top level of the file under its own name.
    QSettings file(settingsFilePath(), QSettings::IniFormat);
    QVERIFY(file.childGroups().isEmpty());
    QStringList keys = file.childKeys();
    keys.sort();
    QStringList expected = kKeyNames;
    expected.sort();
    QCOMPARE(keys, expected);
}

void SettingsTest::textsThatAreNoValue_data()
{
    using Read = ReadSetting;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Read>("read");
    QTest::addColumn<QVariant>("expected");

    const Read lower = [](const pq_Settings* s) { return QVariant(s->colorDeltaEThresholdLower()); };
    const Read neutral = [](const pq_Settings* s) { return QVariant(s->neutralDeltaEThreshold()); };
    const Read overall = [](const pq_Settings* s) { return QVariant(s->overallDeltaEThreshold()); };
    const Read picker = [](const pq_Settings* s) { return QVariant(s->pickerRadius()); };
    const Read language = [](const pq_Settings* s) { return QVariant(s->language()); };

    QTest::addRow("threshold abc") << "colorDeltaEThresholdLower" << "abc" << lower << QVariant(5.0);
    QTest::addRow("threshold empty") << "neutralDeltaEThreshold" << "" << neutral << QVariant(2.828);
    QTest::addRow("threshold comma") << "overallDeltaEThreshold" << "2,5" << overall << QVariant(3.0);
    QTest::addRow("threshold inf") << "overallDeltaEThreshold" << "inf" << overall << QVariant(3.0);
    QTest::addRow("threshold nan") << "colorDeltaEThresholdLower" << "nan" << lower << QVariant(5.0);
    QTest::addRow("threshold number") << "neutralDeltaEThreshold" << "4.5" << neutral << QVariant(4.5);
    QTest::addRow("picker abc") << "pickerRadius" << "abc" << picker << QVariant(2);
    QTest::addRow("picker fraction") << "pickerRadius" << "1.5" << picker << QVariant(2);
    QTest::addRow("picker out of range") << "pickerRadius" << "7" << picker << QVariant(7);
    QTest::addRow("language C") << "language" << "C" << language << QVariant(QString());
    QTest::addRow("language with region") << "language" << "de_DE" << language << QVariant(QString());
    QTest::addRow("language upper case") << "language" << "DE" << language << QVariant(QString());
    QTest::addRow("language path") << "language" << "/x" << language << QVariant(QString());
    QTest::addRow("language code") << "language" << "fr" << language << QVariant(QString("fr"));
}

void SettingsTest::textsThatAreNoValue()
{
    using Read = ReadSetting;
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(Read, read);
    QFETCH(QVariant, expected);

    storeRaw(name, text);
    QCOMPARE(read(pq_Settings::instance()), expected);
}

int main(int argc, char** argv)
{
    // The writer runs in its parent's home.
    const bool writer = argc > 1 && QByteArray(argv[1]) == "--write-every-key";
    QTemporaryDir home;
    if (!writer)
        usePrivateHome(home);
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Vandrelith");
    QCoreApplication::setApplicationName("pelto5");
    if (writer) {
        writeEveryKey();
        return 0;
    }
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings.moc"
