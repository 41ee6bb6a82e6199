// Sampled spectra: construction, resampling, dot product and element-wise
// operations across grids.

#include "Close.h"
#include "SuiteRunner.h"

#include "chart/SpectrumArray.h"

#include <QTest>

#include <memory>
#include <vector>

namespace {

SpectrumArray make(std::vector<float> values, unsigned start, unsigned step)
{
    return SpectrumArray(values.data(), static_cast<unsigned>(values.size()), start, step);
}

}  // namespace

class SpectrumTests : public QObject {
    Q_OBJECT

private slots:
    void construction()
    {
        const SpectrumArray empty(nullptr, 0, 380, 10);
        QCOMPARE(empty.count(), 1u);
        QCOMPARE(empty.value(0), 0.0f);
        const SpectrumArray zeros(nullptr, 5, 400, 0);
        QCOMPARE(zeros.step(), 1u);
        QCOMPARE(zeros.value(4), 0.0f);
        QCOMPARE(zeros.value(5), 0.0f);

        SpectrumArray a = make({1, 2, 3}, 400, 10);
        QCOMPARE(a.end(), 420u);
        SpectrumArray copy(a);
        a.setValue(0, 9);
        QCOMPARE(copy.value(0), 1.0f);
        QVERIFY(copy.sameGrid(a));
        QVERIFY(!copy.sameGrid(make({1, 2, 3}, 400, 5)));
        copy.scale(2);
        QCOMPARE(copy.value(2), 6.0f);
        QCOMPARE(SpectrumArray::scaled(0.5f, copy).value(2), 3.0f);
    }

    // Algorithm of the resampled copy: ramp from 300 nm, four-point midpoints,
    // linear elsewhere, last value beyond the end.
    void resampledCopy_data()
    {
        QTest::addColumn<unsigned>("nm");
        QTest::addColumn<double>("expected");
        QTest::addRow("300 nm and below") << 300u << 0.0;
        QTest::addRow("below 300 nm") << 290u << 0.0;
        QTest::addRow("ramp at 380 nm") << 380u << 0.8;  // values[0] * 80 / 100
        QTest::addRow("first sample") << 400u << 1.0;
        QTest::addRow("linear") << 402u << 1.2;
        QTest::addRow("midpoint of the first interval") << 405u << 1.375;
        QTest::addRow("midpoint inside") << 415u << 2.8125;
        QTest::addRow("midpoint of the last interval") << 425u << 6.125;
        QTest::addRow("last sample") << 430u << 8.0;
        QTest::addRow("beyond the end") << 600u << 8.0;
    }
    void resampledCopy()
    {
        QFETCH(unsigned, nm);
        QFETCH(double, expected);
        const SpectrumArray s = make({1, 2, 4, 8}, 400, 10);
        const SpectrumArray r = s.resampled(1, nm, 1);
        QCOMPARE(r.start(), nm);
        VP_COMPARE_CLOSE(r.value(0), expected, 1e-6);
    }

    void midpointOfTwoSamples()
    {
        const SpectrumArray r = make({2, 4}, 400, 10).resampled(1, 405, 5);
        QCOMPARE(r.value(0), 3.0f);
    }

    // The cubic and the four-point midpoint reproduce a cubic between samples.
    void resampleFiner()
    {
        std::vector<float> cube;
        for (int x = 0; x <= 5; ++x)
            cube.push_back(static_cast<float>(x * x * x));
        SpectrumArray s = make(cube, 400, 10);
        s.resample(61, 390, 1);
        QCOMPARE(s.start(), 390u);
        QCOMPARE(s.step(), 1u);
        QCOMPARE(s.value(0), 0.0f);             // below the start: the first value
        VP_COMPARE_CLOSE(s.value(23), 2.197, 1e-4);  // 413 nm, x = 1.3
        VP_COMPARE_CLOSE(s.value(25), 3.375, 1e-5);  // 415 nm, a midpoint
        VP_COMPARE_CLOSE(s.value(37), 19.683, 1e-3); // 427 nm, x = 2.7
        QCOMPARE(s.value(30), 8.0f);            // 420 nm, a sample
        QCOMPARE(s.value(60), 125.0f);          // 450 nm, the last
        SpectrumArray same = make({1, 2}, 400, 10);
        same.resample(2, 400, 10);
        QCOMPARE(same.value(1), 2.0f);
    }

    // The triangular band-pass keeps a line in the interior and takes the end
    // values where the window lies beyond the samples.
    void resampleCoarser()
    {
        std::vector<float> line;
        for (int nm = 380; nm <= 780; ++nm)
            line.push_back(static_cast<float>(nm));
        SpectrumArray s = make(line, 380, 1);
        s.resample(61, 200, 10);
        QCOMPARE(s.count(), 61u);
        QCOMPARE(s.value(0), 380.0f);                 // 200 nm: window below the samples
        VP_COMPARE_CLOSE(s.value(30), 500.0, 1e-3);   // 500 nm
        VP_COMPARE_CLOSE(s.value(55), 750.0, 1e-3);   // 750 nm
        QCOMPARE(s.value(60), 780.0f);                // 800 nm: window beyond the samples
    }

    void dotProduct()
    {
        const SpectrumArray a = make({1, 2, 3}, 400, 10);
        QCOMPARE(a.dot(make({1, 1, 1}, 400, 10)), 6.0f);
        // On different grids both go to the common one (400-420 at 5 nm), the
        // midpoints by the four-point value: 1, 1.4375, 2, 2.5625, 3.
        const SpectrumArray fine = make({1, 1, 1, 1, 1}, 400, 5);
        VP_COMPARE_CLOSE(a.dot(fine), 10.0, 1e-5);
        QCOMPARE(fine.dot(a), a.dot(fine));
    }

    void elementWise()
    {
        const SpectrumArray a = make({1, 2, 3}, 400, 10);
        const SpectrumArray b = make({10, 20, 30}, 400, 10);
        const SpectrumArray s = SpectrumArray::sum(a, b);
        QCOMPARE(s.value(2), 33.0f);
        const SpectrumArray p = SpectrumArray::product(a, b);
        QCOMPARE(p.value(1), 40.0f);
        // Different grids: the result lies on the common grid.
        SpectrumArray c = a;
        c.add(make({1, 1, 1, 1, 1, 1, 1}, 390, 5));
        QCOMPARE(c.start(), 390u);
        QCOMPARE(c.step(), 5u);
        QCOMPARE(c.count(), 7u);
        QCOMPARE(c.value(2), 2.0f);  // 400 nm: 1 + 1
        QCOMPARE(c.value(6), 4.0f);  // 420 nm: 3 + 1
        SpectrumArray m = a;
        m.multiply(make({2, 2}, 400, 20));
        QCOMPARE(m.step(), 10u);
        QCOMPARE(m.value(1), 4.0f);
    }
};

VP_TEST_SUITE(SpectrumTests);

#include "test_spectrum.moc"
