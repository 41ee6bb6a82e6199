#include "WidgetTests.h"

#include "widgets/pq_DeltaEHistogram.h"

#include <QTest>

#include <vector>

Q_DECLARE_METATYPE(std::vector<double>)

namespace {

class HistogramTest : public QObject
{
    Q_OBJECT

private slots:
    void percentile_data()
    {
        QTest::addColumn<std::vector<double>>("keys");
        QTest::addColumn<double>("p");
        QTest::addColumn<double>("expected");
        const std::vector<double> four{1, 2, 3, 4};
        QTest::addRow("four keys, median") << four << 0.5 << 2.0;
        QTest::addRow("four keys, 10 percent") << four << 0.1 << 1.0;
        QTest::addRow("four keys, 90 percent") << four << 0.9 << 3.5;
        QTest::addRow("four keys, 100 percent") << four << 1.0 << 4.0;
        QTest::addRow("four keys, above 1 clamps") << four << 7.0 << 4.0;
        const std::vector<double> two{1, 3};
        QTest::addRow("1 and 3, median") << two << 0.5 << 1.0;
        QTest::addRow("1 and 3, 90 percent") << two << 0.9 << 2.0;
        for (double p : {0.0, 0.3, 0.5, 1.0})
            QTest::addRow("one key at %g", p) << std::vector<double>{2.5} << p << 2.5;
        std::vector<double> thirty;
        for (int i = 1; i <= 30; ++i)
            thirty.push_back(i);
        // 30 * 0.1 is exactly 3 in double arithmetic: the third key.
        QTest::addRow("thirty keys, 10 percent") << thirty << 0.1 << 3.0;
        QTest::addRow("empty") << std::vector<double>{} << 0.5 << 0.0;
    }

    void percentile()
    {
        QFETCH(std::vector<double>, keys);
        QFETCH(double, p);
        QFETCH(double, expected);
        pq_DeltaEHistogram histogram;
        for (double k : keys)
            histogram.add(k, 1);
        QVERIFY2(histogram.percentile(p) == expected, qPrintable(QString::number(histogram.percentile(p))));
    }

    void meanAndMerge()
    {
        pq_DeltaEHistogram a;
        QCOMPARE(a.mean(), 0.0);
        QVERIFY(a.isEmpty());
        a.add(1.0, 2);
        pq_DeltaEHistogram b;
        b.add(1.0, 1);
        b.add(4.0, 1);
        a.merge(b);
        QCOMPARE(a.entries().size(), std::size_t(2));
        QCOMPARE(a.entries().at(1.0), 3);
        QCOMPARE(a.mean(), 7.0 / 4.0);
        QCOMPARE(a.median(), 1.0);
        a.add(qQNaN(), 1);
        QCOMPARE(a.totalCount(), 4);
    }
};

}  // namespace

QObject *makeHistogramTest() { return new HistogramTest; }

#include "test_histogram.moc"
