#include "SuiteRunner.h"

#include "colour/Kirr_Spline1.h"

#include <QtTest>

#include <cmath>

namespace {

Kirr_Spline1 spline_of(const QVector<QPointF> &points)
{
    Kirr_Spline1 s;
    for (const QPointF &p : points)
        s.addPoint(p.x(), p.y());
    return s;
}

}  // namespace

class Spline1Test : public QObject
{
    Q_OBJECT

private slots:
    void knownValues_data();
    void knownValues();
    void continuesStraightBeyondEnds();
    void fewPoints();
    void pointAccess();
    void invertedExchangesAxes();
    void changesDropTheSolution();
};

void Spline1Test::knownValues_data()
{
    QTest::addColumn<QVector<QPointF>>("points");
    QTest::addColumn<bool>("naturalEnds");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("expected");

    // Natural spline through e^x at 0..3 (the classic textbook example).
    const QVector<QPointF> exp4{{0, 1}, {1, std::exp(1.0)}, {2, std::exp(2.0)}, {3, std::exp(3.0)}};
    QTest::addRow("exp natural 0.5") << exp4 << true << 0.5 << 1.7645343;
    QTest::addRow("exp natural 1.5") << exp4 << true << 1.5 << 4.2303040;
    QTest::addRow("exp natural 2.5") << exp4 << true << 2.5 << 13.0085382;
    QTest::addRow("exp natural at a point") << exp4 << true << 2.0 << std::exp(2.0);
    // A tent: the natural spline bulges to 0.6875 halfway up.
    const QVector<QPointF> tent{{0, 0}, {1, 1}, {2, 0}};
    QTest::addRow("tent natural") << tent << true << 0.5 << 0.6875;
    QTest::addRow("tent natural mirror") << tent << true << 1.5 << 0.6875;
    // Not-a-knot ends reproduce a cubic from four or more of its points and
    // a parabola from three.
    const QVector<QPointF> cubic{{0, 0}, {1, 1}, {2.5, 15.625}, {3, 27}, {4, 64}};
    QTest::addRow("cubic not-a-knot") << cubic << false << 1.7 << 4.913;
    QTest::addRow("cubic not-a-knot first segment") << cubic << false << 0.3 << 0.027;
    QTest::addRow("cubic not-a-knot four points") << cubic.mid(0, 4) << false << 2.2 << 10.648;
    const QVector<QPointF> parabola{{0, 1}, {1, 2}, {3, 10}};
    QTest::addRow("parabola not-a-knot") << parabola << false << 2.0 << 5.0;
    // Natural ends keep a straight line straight.
    const QVector<QPointF> line{{0, 1}, {0.3, 1.6}, {2, 5}};
    QTest::addRow("line natural") << line << true << 1.2 << 3.4;
    QTest::addRow("two points") << line.mid(0, 2) << false << 0.15 << 1.3;
}

void Spline1Test::knownValues()
{
    QFETCH(QVector<QPointF>, points);
    QFETCH(bool, naturalEnds);
    QFETCH(double, x);
    QFETCH(double, expected);
    Kirr_Spline1 s = spline_of(points);
    QVERIFY(s.solve(naturalEnds));
    QVERIFY(std::fabs(s.evaluate(x) - expected) < 1e-6);
    QVERIFY(std::fabs(s.evaluate(x, 255.0) - 255.0 * expected) < 255e-6);
}

void Spline1Test::continuesStraightBeyondEnds()
{
    Kirr_Spline1 s = spline_of({{0, 0}, {1, 1}, {2, 0}});
    QVERIFY(s.solve(true));
    // End slopes of the natural tent are +1.5 and -1.5.
    QVERIFY(std::fabs(s.evaluate(-1.0) + 1.5) < 1e-12);
    QVERIFY(std::fabs(s.evaluate(3.0) + 1.5) < 1e-12);
}

void Spline1Test::fewPoints()
{
    Kirr_Spline1 s;
    QVERIFY(s.isEmpty());
    QVERIFY(!s.solve(true));
    QCOMPARE(s.evaluate(0.25), 0.25);  // no points: the identity
    QCOMPARE(s.evaluate(0.25, 4.0), 1.0);
    s.addPoint(0.5, 0.75);
    QVERIFY(!s.isEmpty());
    QVERIFY(!s.solve(false));
    QVERIFY(!s.isSolved());
    QCOMPARE(s.evaluate(0.1), 0.75);
}

void Spline1Test::pointAccess()
{
    Kirr_Spline1 s = spline_of({{0.5, 2}, {0.1, 1}, {0.9, 3}});
    s.addPoint(0.5, 2.5);  // same x: replaces
    s.addPoint(NAN, 1.0);
    s.addPoint(0.2, INFINITY);
    QCOMPARE(s.pointCount(), 3);
    QCOMPARE(s.x(0), 0.1);
    QCOMPARE(s.y(1), 2.5);
    QCOMPARE(s.x(2), 0.9);
    QCOMPARE(s.x(-1), 0.0);
    QCOMPARE(s.y(3), 0.0);
    s.clear();
    QVERIFY(s.isEmpty());
    QCOMPARE(s.pointCount(), 0);
}

void Spline1Test::invertedExchangesAxes()
{
    Kirr_Spline1 s = spline_of({{0, 0}, {0.25, 0.5}, {1, 1}});
    QVERIFY(s.solve(true));
    const Kirr_Spline1 inv = s.inverted();
    QVERIFY(!inv.isSolved());
    QCOMPARE(inv.pointCount(), 3);
    QCOMPARE(inv.x(1), 0.5);
    QCOMPARE(inv.y(1), 0.25);
    // Equal y values would share an x: the larger original x stays.
    const Kirr_Spline1 flat = spline_of({{0, 0}, {0.4, 1}, {0.8, 1}}).inverted();
    QCOMPARE(flat.pointCount(), 2);
    QCOMPARE(flat.y(1), 0.8);
}

void Spline1Test::changesDropTheSolution()
{
    Kirr_Spline1 s = spline_of({{0, 0}, {1, 1}, {2, 0}});
    QVERIFY(s.solve(true));
    Kirr_Spline1 copy = s;
    QVERIFY(copy.isSolved());
    s.addPoint(3, 1);
    QVERIFY(!s.isSolved());
    QVERIFY(copy.isSolved());
    // Unsolved splines evaluate with natural ends.
    Kirr_Spline1 solved = s;
    QVERIFY(solved.solve(true));
    QCOMPARE(s.evaluate(1.3), solved.evaluate(1.3));
}

VP_TEST_SUITE(Spline1Test);

#include "spline1_test.moc"
