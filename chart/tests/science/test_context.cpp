// The colorimetric context: whites of the CIE illuminants and observers,
// daylight from a correlated colour temperature, Lab conversions and ranges.

#include "Close.h"
#include "SuiteRunner.h"

#include "ParseRun.h"

#include "chart/csContext.h"

#include "engine/cie_tables.h"

#include <QTest>

#include <cmath>
#include <memory>

namespace {

SpectrumArray flat(unsigned count, unsigned start, unsigned step)
{
    SpectrumArray s(nullptr, count, start, step);
    for (unsigned i = 0; i < count; ++i)
        s.setValue(i, 1.0f);
    return s;
}

void chromaticity(const csContext& c, double* x, double* y)
{
    const double sum = c.whiteX() + c.whiteY() + c.whiteZ();
    *x = c.whiteX() / sum;
    *y = c.whiteY() / sum;
}

}  // namespace

class ContextTests : public QObject {
    Q_OBJECT

private slots:
    void defaults()
    {
        const csContext c;
        QCOMPARE(c.observer(), csContext::CIE1931_2);
        QCOMPARE(c.illuminant(), csContext::D50);
        QCOMPARE(c.start(), 380u);
        QCOMPARE(c.end(), 730u);
        QCOMPARE(c.step(), 10u);
        QCOMPARE(c.count(), 36u);
        QCOMPARE(c.illuminantSpectrum()->count(), 36u);
        QCOMPARE(c.weight(2)->count(), 36u);
        QVERIFY(!c.weight(3));
        // A perfect reflector is the white.
        float X, Y, Z;
        c.spectrumToXyz(flat(36, 380, 10), &X, &Y, &Z);
        VP_COMPARE_CLOSE(X, 96.422, 1e-3);
        VP_COMPARE_CLOSE(Y, 100.0, 1e-3);
        VP_COMPARE_CLOSE(Z, 82.521, 1e-3);
        const csContext* d = csContext::defaultContext();
        QCOMPARE(csContext::defaultContext(), d);
        QCOMPARE(d->illuminant(), csContext::D50);
        QCOMPARE(d->observer(), csContext::CIE1931_2);
        QCOMPARE(d->count(), 36u);
        VP_COMPARE_CLOSE(d->whiteZ(), 82.521, 1e-3);
    }

    void labEdges()
    {
        const csContext c(csContext::D65, csContext::CIE1964_10);
        float X, Y, Z, L, a, b;
        c.labToXyz(0, 0, 0, &X, &Y, &Z);
        QCOMPARE(X, 0.0f);
        QCOMPARE(Y, 0.0f);
        QCOMPARE(Z, 0.0f);
        c.labToXyz(100, 0, 0, &X, &Y, &Z);
        VP_COMPARE_CLOSE(X, 94.811, 1e-3);
        VP_COMPARE_CLOSE(Y, 100.0, 1e-3);
        VP_COMPARE_CLOSE(Z, 107.304, 1e-3);
        c.xyzToLab(X, Y, Z, &L, &a, &b);
        VP_COMPARE_CLOSE(L, 100.0, 1e-4);
        VP_COMPARE_CLOSE(a, 0.0, 1e-4);
        VP_COMPARE_CLOSE(b, 0.0, 1e-4);
        // Both sides of the linear segment round-trip.
        for (float lightness : {2.0f, 7.9f, 8.1f, 50.0f}) {
            const float lab[3] = {lightness, 20.0f, -30.0f};
            float xyz[3], back[3];
            c.labToXyz(lab, xyz);
            c.xyzToLab(xyz, back);
            VP_COMPARE_CLOSE(back[0], lab[0], 1e-3);
            VP_COMPARE_CLOSE(back[1], lab[1], 1e-3);
            VP_COMPARE_CLOSE(back[2], lab[2], 1e-3);
        }
    }

    // Lab of the measured XYZ of a colour checker, against the Lab the file holds
    // (D50, 2 degree).
    void colourCheckerLab()
    {
        const QString path = QStringLiteral("/usr/share/color/argyll/ref/ColorCheckerPassport.cie");
        auto run = parseText(readWholeFile(path), true);
        QVERIFY2(run->result == 0, qPrintable(path + ": " + run->parser.errorText()));
        QCOMPARE(run->parser.numberOfSets(), 50);
        const csContext c;
        for (int set = 0; set < 50; ++set) {
            auto v = [&](const char* field) {
                return run->parser.value(set, QLatin1String(field)).toFloat();
            };
            float L, a, b;
            c.xyzToLab(v("XYZ_X"), v("XYZ_Y"), v("XYZ_Z"), &L, &a, &b);
            VP_COMPARE_CLOSE(L, v("LAB_L"), 0.01);
            VP_COMPARE_CLOSE(a, v("LAB_A"), 0.05);
            VP_COMPARE_CLOSE(b, v("LAB_B"), 0.05);
        }
    }

    // The white of every tabulated pair; the tables must all load for this.
    void tabulatedWhites_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<int>("observer");
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Z");
        const struct {
            const char* name;
            int illuminant;
            double x2, z2, x10, z10;
        } rows[] = {
            {"D50", 1, 96.422, 82.521, 96.72, 81.427},   {"A", 2, 109.85, 35.585, 111.144, 35.2},
            {"D65", 3, 95.047, 108.883, 94.811, 107.304}, {"F2", 5, 99.186, 67.393, 103.279, 69.027},
            {"F7", 10, 95.041, 108.747, 95.792, 107.686}, {"F11", 14, 100.962, 64.35, 103.863, 65.607},
            {"D55", 17, 95.682, 92.149, 95.799, 90.926},  {"D75", 18, 94.972, 122.638, 94.416, 120.641},
            {"C", 20, 98.074, 118.232, 97.285, 116.145},
        };
        for (const auto& r : rows) {
            QTest::addRow("%s 2 degree", r.name) << r.illuminant << 0 << r.x2 << r.z2;
            QTest::addRow("%s 10 degree", r.name) << r.illuminant << 1 << r.x10 << r.z10;
        }
    }
    void tabulatedWhites()
    {
        QFETCH(int, illuminant);
        QFETCH(int, observer);
        QFETCH(double, X);
        QFETCH(double, Z);
        const csContext c(static_cast<csContext::Illuminant>(illuminant),
                          static_cast<csContext::Observer>(observer));
        QCOMPARE(int(c.illuminant()), illuminant);
        QCOMPARE(int(c.observer()), observer);
        VP_COMPARE_CLOSE(c.whiteX(), X, 1e-3);
        VP_COMPARE_CLOSE(c.whiteY(), 100.0, 1e-3);
        VP_COMPARE_CLOSE(c.whiteZ(), Z, 1e-3);
    }

    // Untabulated illuminants integrate to the chromaticity the CIE publishes
    // (2 degree, 380 to 780 nm). The observer reaches 5 nm by the band-pass
    // average, not by taking every fifth sample, hence up to 3e-4 from the
    // published 5 nm sums.
    void integratedWhites_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("tolerance");
        QTest::addRow("E") << int(csContext::E) << 1.0 / 3 << 1.0 / 3 << 3e-4;
        QTest::addRow("B") << int(csContext::B) << 0.34842 << 0.35161 << 3e-4;
        QTest::addRow("F1") << int(csContext::F1) << 0.3131 << 0.3373 << 3e-4;
        QTest::addRow("F4") << int(csContext::F4) << 0.4402 << 0.4031 << 3e-4;
        QTest::addRow("F8") << int(csContext::F8) << 0.3458 << 0.3586 << 3e-4;
        QTest::addRow("F12") << int(csContext::F12) << 0.4370 << 0.4042 << 3e-4;
    }
    void integratedWhites()
    {
        QFETCH(int, illuminant);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, tolerance);
        csContext c(static_cast<csContext::Illuminant>(illuminant), csContext::CIE1931_2);
        QVERIFY(c.setRange(380, 780, 5));
        VP_COMPARE_CLOSE(c.whiteY(), 100.0, 1e-3);
        double cx, cy;
        chromaticity(c, &cx, &cy);
        VP_COMPARE_CLOSE(cx, x, tolerance);
        VP_COMPARE_CLOSE(cy, y, tolerance);
    }

    // CIE daylight: the chromaticity of the spectrum from a temperature lies on
    // the daylight locus (x_D by the CIE cubic, y_D = -3 x_D^2 + 2.87 x_D - 0.275).
    void daylight_data()
    {
        QTest::addColumn<double>("kelvin");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        // The D series as published; others on the locus itself.
        QTest::addRow("D50") << 5002.78 << 0.34567 << 0.35850;
        QTest::addRow("D55") << 5503.06 << 0.33242 << 0.34743;
        QTest::addRow("D65") << 6503.62 << 0.31271 << 0.32902;
        QTest::addRow("D75") << 7504.17 << 0.29902 << 0.31485;
        QTest::addRow("4000 K") << 4000.0 << 0.38234 << 0.38377;
        QTest::addRow("10000 K") << 10000.0 << 0.27880 << 0.29197;
    }
    void daylight()
    {
        QFETCH(double, kelvin);
        QFETCH(double, x);
        QFETCH(double, y);
        csContext c;
        QVERIFY(c.setRange(380, 780, 5));
        QVERIFY(c.setDaylightCct(static_cast<float>(kelvin)));
        QCOMPARE(c.illuminant(), csContext::Custom);
        // Normalised to 100 at 560 nm, where S1 and S2 are 0.
        VP_COMPARE_CLOSE(c.illuminantSpectrum()->value(36), 100.0, 1e-3);
        double cx, cy;
        chromaticity(c, &cx, &cy);
        VP_COMPARE_CLOSE(cx, x, 2e-4);
        VP_COMPARE_CLOSE(cy, y, 2.5e-4);
    }

    // D55 and D75 come from the daylight formula and match the CIE tables.
    void daylightIlluminants_data()
    {
        QTest::addColumn<int>("illuminant");
        QTest::addColumn<QByteArray>("table");
        QTest::addRow("D55") << int(csContext::D55) << QByteArray("D55");
        QTest::addRow("D75") << int(csContext::D75) << QByteArray("D75");
    }
    void daylightIlluminants()
    {
        QFETCH(int, illuminant);
        QFETCH(QByteArray, table);
        csContext c(static_cast<csContext::Illuminant>(illuminant), csContext::CIE1931_2);
        QCOMPARE(int(c.illuminant()), illuminant);
        const cie_table* t = cie_find_table(table.constData());
        QVERIFY(t);
        const SpectrumArray* s = c.illuminantSpectrum();
        for (unsigned i = 0; i < s->count(); ++i) {
            const double nm = c.start() + i * c.step();
            VP_COMPARE_CLOSE(s->value(i), cie_table_value(*t, nm), 0.05);
        }
    }

    void observers()
    {
        csContext c;
        QVERIFY(!csContext::observerAvailable(csContext::ObserverThird));
        QVERIFY(!c.setObserver(csContext::ObserverThird));
        QCOMPARE(c.observer(), csContext::CIE1931_2);
        VP_COMPARE_CLOSE(c.whiteX(), 96.422, 1e-3);
        const csContext third(csContext::D65, csContext::ObserverThird);
        QCOMPARE(third.observer(), csContext::CIE1931_2);
        VP_COMPARE_CLOSE(third.whiteX(), 95.047, 1e-3);
        QVERIFY(c.setObserver(csContext::CIE1964_10));
        VP_COMPARE_CLOSE(c.whiteX(), 96.72, 1e-3);
        // Bare observer functions: a flat spectrum gives their sums.
        float X, Y, Z;
        c.spectrumToXyzObserver(flat(36, 380, 10), &X, &Y, &Z);
        VP_COMPARE_CLOSE(Y, c.observerFunction(1)->dot(flat(36, 380, 10)), 1e-4);
        QVERIFY(Y > 10.0f && Y < 12.0f);  // about 1/10 nm of the 1 nm sum (~116.6)
    }

    void illuminantChoices()
    {
        csContext c;
        c.setCustomIlluminant(flat(5, 380, 100));
        QCOMPARE(c.illuminant(), csContext::Custom);
        double x, y;
        chromaticity(c, &x, &y);
        VP_COMPARE_CLOSE(x, 1.0 / 3, 0.01);  // equal energy
        // A value without a table of its own keeps the present spectrum.
        c.setIlluminant(csContext::Custom);
        VP_COMPARE_CLOSE(c.illuminantSpectrum()->value(10), 1.0, 1e-6);
        c.setIlluminant(static_cast<csContext::Illuminant>(99));
        VP_COMPARE_CLOSE(c.illuminantSpectrum()->value(10), 1.0, 1e-6);
        // A spectrum set under a tabulated value keeps that value and its white.
        c.setIlluminant(csContext::D65);
        c.setIlluminantSpectrum(flat(5, 380, 100));
        QCOMPARE(c.illuminant(), csContext::D65);
        VP_COMPARE_CLOSE(c.whiteX(), 95.047, 1e-3);
        // Every numbered illuminant has a table with energy in the range.
        for (int i = 1; i <= 40; ++i) {
            c.setIlluminant(static_cast<csContext::Illuminant>(i));
            QVERIFY2(c.weight(1) && std::fabs(c.whiteY() - 100.0) < 1e-3,
                     qPrintable(QStringLiteral("illuminant %1").arg(i)));
        }
        for (float bad : {0.0f, -5000.0f, NAN, INFINITY})
            QVERIFY(!c.setDaylightCct(bad));
        QCOMPARE(c.illuminant(), csContext::HP5);
    }

    void ranges()
    {
        csContext c;
        QVERIFY(!c.setRange(380, 730, 0));
        QVERIFY(!c.setRange(730, 380, 10));
        QVERIFY(!c.setRange(0, 4000000, 1));
        QCOMPARE(c.count(), 36u);
        QVERIFY(c.setRange(360, 830, 1));
        QCOMPARE(c.count(), 471u);
        QCOMPARE(c.observerFunction(0)->count(), 471u);
        QCOMPARE(c.illuminantSpectrum()->count(), 471u);
        VP_COMPARE_CLOSE(c.whiteZ(), 82.521, 1e-3);
        // Covered: nothing changes; not covered: the requested range.
        QVERIFY(c.coverRange(400, 700, 10));
        QCOMPARE(c.count(), 471u);
        QVERIFY(c.coverRange(300, 700, 10));
        QCOMPARE(c.start(), 300u);
        QCOMPARE(c.step(), 10u);
        // An end between samples is brought down to the last sample.
        QVERIFY(c.setRange(380, 735, 10));
        QCOMPARE(c.end(), 730u);
    }

    void copies()
    {
        csContext a(csContext::A, csContext::CIE1931_2);
        csContext b(a);
        b.setIlluminant(csContext::D65);
        VP_COMPARE_CLOSE(a.whiteX(), 109.85, 1e-3);
        VP_COMPARE_CLOSE(b.whiteX(), 95.047, 1e-3);
        a = b;
        QCOMPARE(a.illuminant(), csContext::D65);
        QVERIFY(a.illuminantSpectrum() != b.illuminantSpectrum());
    }

    void matrix()
    {
        const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        const float m[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        const float in[3] = {1, -1, 2};
        float out[3];
        applyMatrix3x3(identity, in, out);
        QCOMPARE(out[2], 2.0f);
        applyMatrix3x3(m, in, out);
        QCOMPARE(out[0], 5.0f);
        QCOMPARE(out[1], 11.0f);
        QCOMPARE(out[2], 17.0f);
    }
};

VP_TEST_SUITE(ContextTests);

#include "test_context.moc"
