#include "SuiteRunner.h"

#include "colour/Kirr_BezierLut.h"

#include <QtTest>

#include <cmath>

namespace {

// The built-in film curve of the job (x on 0..65535, y on 0..255), a strongly
// bent monotone curve with uneven spacing.
const double kFilmX[] = {0, 303, 910, 2323, 4356, 8596, 16469, 26879, 34810, 46816, 56775, 62478, 65535};
const double kFilmY[] = {0, 5, 15, 35, 55, 85, 125, 165, 190, 220, 240, 250, 255};

Kirr_BezierLut film_lut(bool swapped, int size, int maximum)
{
    Kirr_BezierLut lut;
    for (int i = 0; i < 13; ++i) {
        const double x = kFilmX[i] / 655.35, y = kFilmY[i] / 2.55;
        if (swapped)
            lut.addPoint(y, x);
        else
            lut.addPoint(x, y);
    }
    lut.setLutSize(size);
    lut.setOutputMaximum(maximum);
    lut.build();
    return lut;
}

}  // namespace

class BezierLutTest : public QObject
{
    Q_OBJECT

private slots:
    void emptyHasNoTable();
    void straightLineIsExact();
    void passesThroughPointsMonotone_data();
    void passesThroughPointsMonotone();
    void holdsEndsAndClamps();
    void swappedPointsGiveTheInverse();
    void settingsDropTheTable();
};

void BezierLutTest::emptyHasNoTable()
{
    Kirr_BezierLut lut;
    QVERIFY(lut.isEmpty());
    QVERIFY(!lut.build());
    QVERIFY(lut.lut().isEmpty());
    QCOMPARE(lut.evaluate(0.5), 0.0);
    lut.addPoint(50, 50);
    QCOMPARE(lut.evaluate(0.5), 0.0);  // not built yet
    QCOMPARE(lut.lut().size(), 256);   // built on demand
    QCOMPARE(lut.evaluate(0.5), 128.0 / 255.0);  // one point: a constant
}

void BezierLutTest::straightLineIsExact()
{
    Kirr_BezierLut lut;
    lut.addPoint(0, 0);
    lut.addPoint(30, 30);  // uneven spacing must not bend a line
    lut.addPoint(100, 100);
    const QVector<qint32> &table = lut.lut();
    QCOMPARE(table.size(), 256);
    for (int k = 0; k < table.size(); ++k)
        QCOMPARE(table[k], k);
    QVERIFY(std::fabs(lut.evaluate(0.3) - 0.3) < 1e-12);
    QCOMPARE(lut.evaluate(-2.0), 0.0);
    QCOMPARE(lut.evaluate(NAN), 0.0);
    QCOMPARE(lut.evaluate(7.0), 1.0);
}

void BezierLutTest::passesThroughPointsMonotone_data()
{
    QTest::addColumn<bool>("swapped");
    QTest::addRow("film curve") << false;
    QTest::addRow("film curve inverted") << true;
}

void BezierLutTest::passesThroughPointsMonotone()
{
    QFETCH(bool, swapped);
    Kirr_BezierLut lut = film_lut(swapped, 65536, 65535);
    const QVector<qint32> &table = lut.lut();
    for (int k = 1; k < table.size(); ++k)
        QVERIFY2(table[k] >= table[k - 1], qPrintable(QString::number(k)));
    QCOMPARE(table.first(), 0);
    QCOMPARE(table.last(), 65535);
    for (int i = 0; i < lut.pointCount(); ++i) {
        const double got = lut.evaluate(lut.x(i) / 100.0) * 100.0;
        QVERIFY2(std::fabs(got - lut.y(i)) < 0.02,
                 qPrintable(QStringLiteral("point %1: %2 for %3").arg(i).arg(got).arg(lut.y(i))));
    }
}

void BezierLutTest::holdsEndsAndClamps()
{
    Kirr_BezierLut lut;
    lut.addPoint(20, 40);
    lut.addPoint(60, 150);  // above the output maximum
    lut.setLutSize(101);
    lut.setOutputMaximum(1000);
    QVERIFY(lut.build());
    const QVector<qint32> &table = lut.lut();
    for (int k = 0; k <= 20; ++k)
        QCOMPARE(table[k], 400);
    for (int k = 50; k <= 100; ++k)
        QCOMPARE(table[k], 1000);
}

void BezierLutTest::swappedPointsGiveTheInverse()
{
    // The engine's transfer curve is built from the tone curve's points with
    // x and y exchanged; composed they give back the input.
    const Kirr_BezierLut forward = film_lut(false, 65536, 65535);
    const Kirr_BezierLut inverse = film_lut(true, 65536, 65535);
    for (double x = 0.0; x <= 1.0; x += 1.0 / 64) {
        const double back = inverse.evaluate(forward.evaluate(x));
        QVERIFY2(std::fabs(back - x) < 2e-3, qPrintable(QStringLiteral("%1 -> %2").arg(x).arg(back)));
    }
}

void BezierLutTest::settingsDropTheTable()
{
    Kirr_BezierLut lut;
    lut.addPoint(0, 0);
    lut.addPoint(100, 100);
    QVERIFY(lut.build());
    const Kirr_BezierLut built = lut;
    lut.addPoint(50, 20);
    QVERIFY(!lut.isBuilt());
    QVERIFY(built.isBuilt());
    QVERIFY(lut.build());
    lut.setLutSize(0);
    QVERIFY(!lut.isBuilt());
    QCOMPARE(lut.lutSize(), 2);
    QCOMPARE(lut.lut().size(), 2);
    lut.setOutputMaximum(-5);
    QCOMPARE(lut.outputMaximum(), 1);
    QVERIFY(!lut.isBuilt());
    lut.clear();
    QVERIFY(lut.isEmpty());
    QVERIFY(lut.lut().isEmpty());
}

VP_TEST_SUITE(BezierLutTest);

#include "bezier_lut_test.moc"
