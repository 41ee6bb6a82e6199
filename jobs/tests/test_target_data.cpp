// Bringing a target's reference data and definition into its Target, and
// the text repairs on the way.
#include "JobTestSupport.h"

#include "jobs/pq_Job.h"

#include <QtTest>

namespace {

QString block(const QStringList &lines)
{
    return "CGATS.17\nNUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\n"
           "NUMBER_OF_SETS "
        + QString::number(lines.size()) + "\nBEGIN_DATA\n" + lines.join("\n") + "\nEND_DATA";
}

// A definition of count patches numbered from 1, all colour patches.
QString numberedDefinition(int count)
{
    QString text = "IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID CONTROL\n"
                   "END_DATA_FORMAT\nNUMBER_OF_SETS "
        + QString::number(count) + "\nBEGIN_DATA\n";
    for (int i = 1; i <= count; ++i)
        text += QString::number(i) + " N\n";
    return text + "END_DATA\n";
}

}  // namespace

class TestTargetData : public QObject
{
    Q_OBJECT

private slots:
    void reorderDataBlock_data();
    void reorderDataBlock();
    void cleanQuotedLines_data();
    void cleanQuotedLines();
    void loadsColorChecker();
    void loadsCmpDigitalTarget();
    void loadTargetDataCodes_data();
    void loadTargetDataCodes();
    void refusesGridsThatAreNoGrids_data();
    void refusesGridsThatAreNoGrids();
    void fiveTextConstructorLoadsNothingWithoutTargets();
};

void TestTargetData::reorderDataBlock_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("patches");
    QTest::addColumn<QStringList>("data");
    QTest::addColumn<QStringList>("expected");  // empty: refused, text unchanged
    const QStringList six{"a", "b", "c", "d", "e", "f"};
    QTest::addRow("TLR") << "TLR" << 2 << 3 << 6 << six
                         << QStringList{"a", "c", "e", "b", "d", "f"};
    QTest::addRow("TRR") << "TRR" << 2 << 3 << 6 << six
                         << QStringList{"e", "c", "a", "f", "d", "b"};
    QTest::addRow("other order") << "LRT" << 2 << 3 << 6 << six << QStringList();
    QTest::addRow("fewer lines than patches") << "TLR" << 2 << 3 << 6 << QStringList(six.mid(0, 5))
                                              << QStringList();
    QTest::addRow("grid larger than patches") << "TLR" << 3 << 3 << 6 << six << QStringList();
    QTest::addRow("grid smaller than patches") << "TLR" << 2 << 2 << 6 << six << QStringList();
    QTest::addRow("no rows") << "TLR" << 0 << 3 << 6 << six << QStringList();
    QTest::addRow("negative columns") << "TRR" << 2 << -3 << 6 << six << QStringList();
}

void TestTargetData::reorderDataBlock()
{
    QFETCH(QString, order);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(int, patches);
    QFETCH(QStringList, data);
    QFETCH(QStringList, expected);
    const QString original = block(data);
    QString text = original;
    QCOMPARE(pq_Job::reorderDataBlock(text, order, rows, columns, patches), !expected.isEmpty());
    QCOMPARE(text, expected.isEmpty() ? original : block(expected));
}

void TestTargetData::cleanQuotedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::addRow("whole line quoted") << "\"A \"\"B\"\"\"" << "A \"B\"";
    QTest::addRow("empty lines go") << "X\r\n\r\n\"Y\"\n\nZ\r" << "X\nY\nZ";
    QTest::addRow("keyword with a string") << "DESCRIPTOR \"X\"" << "DESCRIPTOR \"X\"";
    QTest::addRow("empty string kept") << "ORIGINATOR \"\"" << "ORIGINATOR \"\"";
    QTest::addRow("two strings") << "\"A\" \"B\"" << "\"A\" \"B\"";
    QTest::addRow("single inner quote") << "\"A\"B\"" << "\"A\"B\"";
    QTest::addRow("lone quote") << "\"" << "\"";
    QTest::addRow("data row") << "1 \"A1\" 0.5" << "1 \"A1\" 0.5";
}

void TestTargetData::cleanQuotedLines()
{
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    pq_Job::cleanQuotedLines(text);
    QCOMPARE(text, cleaned);
}

void TestTargetData::loadsColorChecker()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    job.addTargetInfo(jobtest::colorCheckerTarget());
    QVERIFY(job.loadCurrentTarget());
    QCOMPARE(job.currentTarget()->referenceSetCount(), 24u);
    const pq_targetSummary summary = job.currentTargetSummary();
    QCOMPARE(summary.rows, 4);
    QCOMPARE(summary.columns, 6);
    QCOMPARE(summary.referenceSetCount, 24);
    QVERIFY(!summary.spectral);
}

void TestTargetData::loadsCmpDigitalTarget()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    auto *target = new pq_targetInfo;
    target->name = "CMP Digital Target 4";
    target->setTargetFile(jobtest::argyllReference("CMP_Digital_Target-4.cie"));
    target->rows = 19;
    target->columns = 30;
    target->patches = 570;
    target->targetDefinition = numberedDefinition(570);
    job.addTargetInfo(target);
    QVERIFY(job.loadCurrentTarget());
    QCOMPARE(job.currentTarget()->referenceSetCount(), 570u);
    // Stored column by column, the same data still loads.
    target->fieldOrder = "TLR";
    QCOMPARE(job.loadTargetData(false), 0);
}

void TestTargetData::loadTargetDataCodes_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("definition");
    QTest::addColumn<int>("code");
    const QString good = QString::fromUtf8(
        jobtest::readFile(jobtest::argyllReference("ColorChecker.cie")));
    const QString definition = jobtest::colorCheckerDefinition();
    QTest::addRow("no data block") << "CGATS.17\nNUMBER_OF_FIELDS 1\n" << definition << 5;
    QTest::addRow("reference does not parse")
        << "CGATS.17\nNUMBER_OF_FIELDS x\nBEGIN_DATA\nEND_DATA\n" << definition << 6;
    QTest::addRow("definition does not parse")
        << good << "IS12642\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID CONTROL\n" << 7;
    QTest::addRow("definition of another count")
        << good << "IS12642\nNUMBER_OF_FIELDS 1\nBEGIN_DATA_FORMAT\nSAMPLE_ID\nEND_DATA_FORMAT\n"
                   "NUMBER_OF_SETS 2\nBEGIN_DATA\nA1\nA2\nEND_DATA\n"
        << int(TargetIF::StatusCountMismatch);
    QTest::addRow("whole") << good << definition << 0;
}

void TestTargetData::loadTargetDataCodes()
{
    QFETCH(QString, reference);
    QFETCH(QString, definition);
    QFETCH(int, code);
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    auto *target = new pq_targetInfo;
    target->name = "T";
    target->rows = 4;
    target->columns = 6;
    target->patches = 24;
    target->referenceData = reference;
    target->targetDefinition = definition;
    job.addTargetInfo(target);
    job.currentTarget()->setRows(4);
    job.currentTarget()->setColumns(6);
    QCOMPARE(job.loadTargetData(false), code);
}

void TestTargetData::refusesGridsThatAreNoGrids_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addRow("no rows") << 0 << 6;
    QTest::addRow("negative") << -4 << 6;
    QTest::addRow("absurd") << 10000 << 10000;
}

void TestTargetData::refusesGridsThatAreNoGrids()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder());
    pq_targetInfo *target = jobtest::colorCheckerTarget();
    target->rows = rows;
    target->columns = columns;
    job.addTargetInfo(target);
    QVERIFY(!job.loadCurrentTarget());
    QCOMPARE(job.currentTarget()->rows(), 0u);
}

void TestTargetData::fiveTextConstructorLoadsNothingWithoutTargets()
{
    pq_Job job(jobtest::filmCurvesFolder(), jobtest::tempFolder(), "Profile", QString(),
               QString());
    QCOMPARE(job.profileName(), QString("Profile"));
    QVERIFY(job.chartImagePath().isEmpty());
}

static RegisterSuite<TestTargetData> registerTargetData;
#include "test_target_data.moc"
