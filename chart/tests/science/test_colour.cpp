// CIE colours in XYZ, Lab and spectral form, and transfer functions.

#include "Close.h"
#include "SuiteRunner.h"

#include "chart/CIEColor.h"
#include "chart/TransferFunction.h"
#include "chart/csContext.h"

#include <QTest>

#include <memory>
#include <vector>

class ColourTests : public QObject {
    Q_OBJECT

private slots:
    void fromXyzAndLab()
    {
        const csContext c;
        const CIEColor grey(CIEColor::SpaceXYZ, 96.422f * 0.18f, 18.0f, 82.521f * 0.18f, &c);
        QCOMPARE(grey.colorSpace(), CIEColor::SpaceXYZ);
        VP_COMPARE_CLOSE(grey.L(), 49.496, 1e-3);
        VP_COMPARE_CLOSE(grey.a(), 0.0, 1e-3);
        VP_COMPARE_CLOSE(grey.b(), 0.0, 1e-3);
        QVERIFY(!grey.hasSpectrum());
        QCOMPARE(grey.spectrumStart(), -1);
        QCOMPARE(grey.spectrumStep(), -1);
        QCOMPARE(grey.spectrumCount(), -1);
        QCOMPARE(grey.spectrumValue(0), 0.0f);

        const CIEColor lab(CIEColor::SpaceLab, 100, 0, 0);  // the default context
        QCOMPARE(lab.context(), csContext::defaultContext());
        VP_COMPARE_CLOSE(lab.X(), 96.422, 1e-3);
        VP_COMPARE_CLOSE(lab.Z(), 82.521, 1e-3);
    }

    void unsupportedSpace()
    {
        QVERIFY(!CIEColor::create(CIEColor::SpaceSpectral, 1, 2, 3));
        QVERIFY(!CIEColor::create(static_cast<CIEColor::ColorSpace>(7), 1, 2, 3));
        const auto ok = CIEColor::create(CIEColor::SpaceLab, 50, 10, 10);
        QVERIFY(ok && ok->valid());
        const CIEColor bad(CIEColor::SpaceSpectral, 1, 2, 3);
        QVERIFY(!bad.valid());
    }

    void fromSpectrum()
    {
        csContext c(csContext::D65, csContext::CIE1931_2);
        const std::vector<double> ones(36, 1.0);
        CIEColor white(ones.data(), 36, 380, 10, &c);
        QCOMPARE(white.colorSpace(), CIEColor::SpaceSpectral);
        VP_COMPARE_CLOSE(white.X(), 95.047, 1e-3);
        VP_COMPARE_CLOSE(white.L(), 100.0, 1e-3);
        QCOMPARE(white.spectrumStart(), 380);
        QCOMPARE(white.spectrumStep(), 10);
        QCOMPARE(white.spectrumCount(), 36);
        QCOMPARE(white.spectrumValue(1000), 1.0f);  // beyond the count: the last value

        // Scale factors reach Lab only; X, Y, Z stay unscaled.
        white.setScale(0.5f, 0.5f, 0.5f);
        white.recompute();
        VP_COMPARE_CLOSE(white.Y(), 100.0, 1e-3);
        VP_COMPARE_CLOSE(white.L(), 76.069, 1e-3);

        white.setObserverOnly(true);
        white.recompute();
        float X, Y, Z;
        c.spectrumToXyzObserver(*white.spectrum(), &X, &Y, &Z);
        QCOMPARE(white.Y(), Y);

        // Rebinding to another context recomputes.
        white.setObserverOnly(false);
        white.setScale(1, 1, 1);
        const csContext a(csContext::A, csContext::CIE1931_2);
        white.setContext(&a);
        VP_COMPARE_CLOSE(white.X(), 109.85, 1e-3);
        white.setContext(nullptr);
        VP_COMPARE_CLOSE(white.X(), 96.422, 1e-3);

        const CIEColor none(nullptr, 0, 380, 10, &c);
        QCOMPARE(none.spectrumCount(), 1);
        QCOMPARE(none.Y(), 0.0f);
    }

    void replaceSpectrum()
    {
        const csContext c;
        CIEColor colour(CIEColor::SpaceLab, 50, 0, 0, &c);
        const std::vector<float> half(36, 0.5f);
        const SpectrumArray s(half.data(), 36, 380, 10);
        colour.setSpectrum(&s);
        QCOMPARE(colour.colorSpace(), CIEColor::SpaceSpectral);
        VP_COMPARE_CLOSE(colour.Y(), 50.0, 1e-3);
        QVERIFY(colour.spectrum() != &s);
        colour.setSpectrum(colour.spectrum());  // its own: nothing happens
        VP_COMPARE_CLOSE(colour.Y(), 50.0, 1e-3);
        colour.setSpectrum(nullptr);
        QVERIFY(colour.hasSpectrum());

        CIEColor copy(colour);
        QVERIFY(copy.spectrum() != colour.spectrum());
        QCOMPARE(copy.spectrumValue(3), 0.5f);
        copy = CIEColor(CIEColor::SpaceXYZ, 1, 2, 3, &c);
        QVERIFY(!copy.hasSpectrum());
        QCOMPARE(copy.Y(), 2.0f);
    }

    void transferFunctionCurves_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("c0");
        QTest::addColumn<bool>("c1");
        QTest::addColumn<bool>("c2");
        QTest::addColumn<int>("channels");
        QTest::addRow("three curves") << 4 << true << true << true << 3;
        QTest::addRow("two curves") << 4 << true << true << false << 2;
        QTest::addRow("first and third") << 4 << true << false << true << 1;
        QTest::addRow("no first curve") << 4 << false << true << true << 0;
        QTest::addRow("length 0") << 0 << true << true << true << 0;
        QTest::addRow("negative length") << -3 << true << false << false << 0;
    }
    void transferFunctionCurves()
    {
        QFETCH(int, length);
        QFETCH(bool, c0);
        QFETCH(bool, c1);
        QFETCH(bool, c2);
        QFETCH(int, channels);
        const quint16 curves[3][4] = {{0, 1, 2, 3}, {10, 11, 12, 13}, {20, 21, 22, 23}};
        const TransferFunction tf(length, c0 ? curves[0] : nullptr, c1 ? curves[1] : nullptr,
                                  c2 ? curves[2] : nullptr);
        QCOMPARE(tf.channelCount(), channels);
        QCOMPARE(tf.length(), channels > 0 ? length : 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(tf.curve(i) != nullptr, i < channels);
        QVERIFY(!tf.curve(-1));
        if (channels > 0) {
            QVERIFY(tf.curve(0) != curves[0]);  // a copy
            QCOMPARE(tf.curve(channels - 1)[3], curves[channels - 1][3]);
        }
    }

    void transferFunctionCopies()
    {
        const quint16 c0[3] = {1, 2, 3};
        const quint16 c1[3] = {4, 5, 6};
        TransferFunction a(3, c0, c1);
        const TransferFunctionIF& asInterface = a;
        TransferFunction b(asInterface);
        QCOMPARE(b.channelCount(), 2);
        QVERIFY(b.curve(1) != a.curve(1));
        QCOMPARE(b.curve(1)[2], quint16(6));
        TransferFunction c;
        QCOMPARE(c.channelCount(), 0);
        c = asInterface;
        QCOMPARE(c.length(), 3);
        c = c;
        QCOMPARE(c.curve(0)[0], quint16(1));
        a.clear();
        QCOMPARE(a.channelCount(), 0);
        QCOMPARE(a.length(), 0);
        QVERIFY(!a.curve(0));
        QCOMPARE(b.curve(0)[0], quint16(1));
        std::unique_ptr<TransferFunctionIF> owned = std::make_unique<TransferFunction>(b);
        QCOMPARE(owned->channelCount(), 2);
    }
};

VP_TEST_SUITE(ColourTests);

#include "test_colour.moc"
