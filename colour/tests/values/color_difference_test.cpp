#include "SuiteRunner.h"

#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_illuminantTemperature.h"

#include <QtTest>

#include <cmath>

using Lab = QVector<double>;
Q_DECLARE_METATYPE(Lab)

class ColorDifferenceTest : public QObject
{
    Q_OBJECT

private slots:
    void knownPairs_data();
    void knownPairs();
    void componentsOfLab1AgainstLab2();
    void cie94WeighsByTheSecondColour();
    void illuminantTemperatures();
};

void ColorDifferenceTest::knownPairs_data()
{
    QTest::addColumn<Lab>("lab1");
    QTest::addColumn<Lab>("lab2");
    QTest::addColumn<int>("formula");
    QTest::addColumn<double>("expected");

    // CIEDE2000 pairs of the published test data set (Sharma, Wu and Dalal),
    // with a hue wrap-around pair; the pairs whose hue angles lie exactly 180
    // degrees apart depend on rounding and are left out.
    const struct { Lab a, b; double de; } de2000[] = {
        {{50.0, 2.6772, -79.7751}, {50.0, 0.0, -82.7485}, 2.0425},
        {{50.0, 0.0, 0.0}, {50.0, -1.0, 2.0}, 2.3669},
        {{50.0, 2.49, -0.001}, {50.0, -2.49, 0.0009}, 7.1792},
        {{50.0, 2.5, 0.0}, {73.0, 25.0, -18.0}, 27.1492},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
    };
    int n = 0;
    for (const auto &pair : de2000) {
        ++n;
        for (int formula : {2, 3, 7, -1}) {
            QTest::addRow("CIEDE2000 pair %d formula %d", n, formula)
                << pair.a << pair.b << formula << pair.de;
            QTest::addRow("CIEDE2000 pair %d swapped formula %d", n, formula)
                << pair.b << pair.a << formula << pair.de;
        }
    }
    QTest::addRow("CIE76") << Lab{50, 0, 0} << Lab{50, 3, 4} << 0 << 5.0;
    QTest::addRow("CIE76 lightness") << Lab{40, 10, 10} << Lab{52, 10, 10} << 0 << 12.0;
    // Sample first, reference second.
    QTest::addRow("CIE94") << Lab{50.0, 0.0, -82.7485} << Lab{50.0, 2.6772, -79.7751} << 1 << 1.3950;
    QTest::addRow("identical") << Lab{50, 20, -30} << Lab{50, 20, -30} << 1 << 0.0;
}

void ColorDifferenceTest::knownPairs()
{
    QFETCH(Lab, lab1);
    QFETCH(Lab, lab2);
    QFETCH(int, formula);
    QFETCH(double, expected);
    const float de = Kirr_colorDifference(lab1.constData(), lab2.constData(), formula);
    QVERIFY2(std::fabs(de - expected) < 5e-5, qPrintable(QString::number(de, 'f', 6)));
}

void ColorDifferenceTest::componentsOfLab1AgainstLab2()
{
    // A lighter, more chromatic sample than the reference gives positive
    // lightness and chroma differences under every formula.
    const double sample[3] = {60.0, 30.0, 10.0}, reference[3] = {50.0, 20.0, 10.0};
    for (int formula : {0, 1, 2, 3}) {
        float dl = 0, dc = 0, dh = 0;
        const float de = Kirr_colorDifference(sample, reference, formula, &dl, &dc, &dh);
        QVERIFY2(dl > 0 && dc > 0, qPrintable(QString::number(formula)));
        QVERIFY2(std::fabs(de * de - (dl * dl + dc * dc + dh * dh)) < 1e-3 * de * de || formula >= 2,
                 qPrintable(QString::number(formula)));
        float dl2 = 0;
        Kirr_colorDifference(reference, sample, formula, &dl2, nullptr, nullptr);
        QCOMPARE(dl2, -dl);
    }
    float dl = 0, dc = 0, dh = 0;
    Kirr_colorDifference(sample, reference, 0, &dl, &dc, &dh);
    QCOMPARE(dl, 10.0f);
    QVERIFY(std::fabs(dc - (std::hypot(30.0, 10.0) - std::hypot(20.0, 10.0))) < 1e-5);
    QVERIFY(dh >= 0.0f);
}

void ColorDifferenceTest::cie94WeighsByTheSecondColour()
{
    const double a[3] = {50.0, 2.6772, -79.7751}, b[3] = {50.0, 0.0, -82.7485};
    const float ab = Kirr_colorDifference(a, b, 1), ba = Kirr_colorDifference(b, a, 1);
    QVERIFY(std::fabs(ba - 1.3950f) < 5e-5);
    QVERIFY(std::fabs(ab - ba) > 1e-3);
}

void ColorDifferenceTest::illuminantTemperatures()
{
    const struct { int code, kelvin; } cases[] = {
        {1, 5000}, {2, 3000}, {3, 6500}, {17, 5500}, {18, 7500},
        {0, 0}, {4, 0}, {16, 0}, {19, 0}, {-1, 0}, {1 << 30, 0},
    };
    for (const auto &c : cases)
        QCOMPARE(Kirr_illuminantTemperature(c.code), c.kelvin);
}

VP_TEST_SUITE(ColorDifferenceTest);

#include "color_difference_test.moc"
