#include "WidgetTests.h"

#include "ShotScene.h"

#include "chart/Image.h"
#include "chart/Patch.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"

#include <QFile>
#include <QRegularExpression>
#include <QTransform>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Kirr_ColorProfileIF> profileAt(const QString &path)
{
    return std::unique_ptr<Kirr_ColorProfileIF>(Kirr_profileFromFile(path));
}

ChartShotSpec spec(int columns, int rows)
{
    ChartShotSpec s;
    s.columns = columns;
    s.rows = rows;
    return s;
}

bool histogramIsFinite(const pq_DeltaEHistogram &h)
{
    for (const auto &e : h.entries())
        if (!std::isfinite(e.first))
            return false;
    return std::isfinite(h.mean());
}

class MeasurementTest : public QObject
{
    Q_OBJECT

private slots:
    void quickProfileIsInstalledForDisplay()
    {
        ShotScene scene(spec(6, 4));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        float error = -2;
        w.doMeasurement(&error);
        QVERIFY2(error >= 0 && error < 10, qPrintable(QString::number(error)));
        QVERIFY(w.bestQuickProfileError() < 10);
        QCOMPARE(w.bestQuickProfileError(), double(error));
        QVERIFY(!scene.job.savePatchGridCalls.isEmpty());
        QCOMPARE(scene.job.savePatchGridCalls.last(), 0);
        const int before = scene.owner.updateRequests;
        const QImage plain = w.displayImage();
        const QImage shown = scene.owner.render();
        keepPicture(shown, QStringLiteral("widgets_quick_profile.png"));
        const QPoint p = scene.cellInItem(0, 0).toPoint();
        QVERIFY(QColor(shown.pixel(p + QPoint(0, 11))) != QColor(plain.pixel(p + QPoint(0, 11))));
        QVERIFY(scene.owner.updateRequests >= before);
    }

    void patchOrder_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("tlr");
        QTest::addRow("stored order") << 6 << 4 << false;
        QTest::addRow("TLR order") << 6 << 4 << true;
    }

    void patchOrder()
    {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(bool, tlr);
        ChartShotSpec s = spec(columns, rows);
        s.tlrOrder = tlr;
        ShotScene scene(s);
        scene.job.loadTargetDataCalls.clear();
        float error = -2;
        scene.owner.engine.doMeasurement(&error);
        QCOMPARE(scene.job.loadTargetDataCalls, QVector<bool>({false, true, tlr}));
        QVERIFY(error >= 0 && error < 10);
    }

    void tieKeepsTheStoredOrder()
    {
        // One row: the "TLR" order is the stored order.
        ShotScene scene(spec(6, 1));
        scene.job.loadTargetDataCalls.clear();
        PatchGridIF *grid = scene.job.currentPatchGrid();
        const float error = scene.owner.engine.measurePatches(grid, &scene.job.target, true);
        QCOMPARE(scene.job.loadTargetDataCalls, QVector<bool>({false, true, false}));
        QVERIFY(error >= 0);
    }

    void failedPassesKeepTheStoredOrder()
    {
        ChartShotSpec s = spec(3, 2);
        ShotScene scene(s);
        QString definition = scene.shot.definition;
        for (const QString &code : {QStringLiteral(" N\n"), QStringLiteral(" GBW\n"), QStringLiteral(" GB\n")})
            definition.replace(code, QStringLiteral(" I\n"));
        scene.job.setTargetTexts(s.columns, s.rows, definition, scene.shot.reference);
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        float error = 0;
        w.doMeasurement(&error);
        QCOMPARE(error, -1.0f);
        QCOMPARE(scene.job.loadTargetDataCalls.last(), false);
        QCOMPARE(w.bestQuickProfileError(), 10.0);
        QVERIFY(scene.job.savePatchGridCalls.isEmpty());
        w.computeStatistics();
        bool passed = false;
        pq_DeltaEHistogram h;
        w.qualityResult(&h, &passed, nullptr);
        QVERIFY(h.isEmpty());
        QVERIFY(passed);
    }

    void missingTarget()
    {
        ShotScene scene(spec(3, 2));
        scene.job.noTarget = true;
        float error = 0;
        scene.owner.engine.doMeasurement(&error);
        QCOMPARE(error, -1.0f);
        QCOMPARE(scene.owner.engine.computeQuickProfile(true), -1.0f);
        scene.owner.render();
    }

    void whiteBalance_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QVector<double>>("factors");
        // Two "GBW" patches (100, 200, 400) and (1000, 1000, 500): the brightest
        // for an 8-bit image, the channel means (550, 600, 450) for 16 bits.
        QTest::addRow("8 bits") << 8 << QVector<double>{1.0, 1.0, 2.0};
        QTest::addRow("16 bits") << 16 << QVector<double>{600.0 / 550.0, 1.0, 600.0 / 450.0};
    }

    void whiteBalance()
    {
        QFETCH(int, bits);
        QFETCH(QVector<double>, factors);
        ChartShotSpec s = spec(3, 2);
        s.bits = bits;
        ShotScene scene(s);
        QString definition = scene.shot.definition;
        definition.replace(QStringLiteral("B2 GB\n"), QStringLiteral("B2 GBW\n"));
        scene.job.setTargetTexts(s.columns, s.rows, definition, scene.shot.reference);
        Target &target = scene.job.target;
        const double values[2][3] = {{100, 200, 400}, {1000, 1000, 500}};
        for (int i = 0; i < 2; ++i) {
            PatchIF *p = target.patch(unsigned(i), 1);
            QCOMPARE(p->primary(), 8);
            p->setValueCount(3);
            for (int c = 0; c < 3; ++c)
                p->setValue1(c, values[i][c]);
        }
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.computeWhiteBalance(scene.job.currentPatchGrid(), &target);
        QVERIFY(target.hasChannelFactors(3));
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(target.channelFactor(unsigned(c)), factors[c]);
            QCOMPARE(w.displayChannelFactors()[c], factors[c]);
        }
        // Nothing counts: the factors are cleared.
        target.patch(0, 1)->setValue1(0, 0);
        target.patch(1, 1)->setValue1(0, 0);
        w.computeWhiteBalance(scene.job.currentPatchGrid(), &target);
        QVERIFY(!target.hasChannelFactors(3));
        QCOMPARE(w.displayChannelFactors()[0], 0.0);
    }

    void filmCurve_data()
    {
        QTest::addColumn<bool>("c1");
        QTest::addColumn<bool>("otherChart");
        QTest::addColumn<bool>("available");
        QTest::addColumn<int>("made");
        QTest::addRow("TIFF loaded, no curve yet") << true << false << false << 1;
        QTest::addRow("no TIFF") << false << false << false << 0;
        QTest::addRow("curve exists") << true << false << true << 0;
        // Its greys lie elsewhere: the levels under the shot's greys do not rise.
        QTest::addRow("TIFF of another chart") << true << true << false << 0;
    }

    void filmCurve()
    {
        QFETCH(bool, c1);
        QFETCH(bool, otherChart);
        QFETCH(bool, available);
        QFETCH(int, made);
        ShotScene scene(spec(6, 4));
        ChartShotSpec other = spec(6, 4);
        other.tlrOrder = true;
        if (otherChart)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no film curve made"));
        if (c1)
            scene.job.setC1Image(otherChart ? makeChartShot(other).image : scene.shot.image);
        scene.job.filmCurveAvailable = available;
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setJob(&scene.job);  // a quick profile is due
        const float error = w.computeQuickProfile(false);
        QVERIFY(error >= 0 && error < 10);
        QCOMPARE(scene.job.extractFilmCurveCalls, made);
        QCOMPARE(scene.job.toneCurveLut() != nullptr, made == 1);
    }

    void histogramHoldsOneDifferencePerPatch()
    {
        ShotScene scene(spec(6, 4));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        auto srgb = profileAt(srgbProfilePath());
        w.setImageProfile(srgb.get());
        pq_DeltaEHistogram h;
        w.qualityResult(&h, nullptr, nullptr);
        QCOMPARE(h.totalCount(), 24);

        cmsHPROFILE in = cmsOpenProfileFromFile(srgbProfilePath().toLocal8Bit().constData(), "r");
        cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        cmsHTRANSFORM t = cmsCreateTransform(in, TYPE_RGB_16, lab, TYPE_Lab_DBL,
                                             INTENT_ABSOLUTE_COLORIMETRIC, 0);
        std::vector<double> expected;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c) {
                const auto device = scene.shot.deviceAt(c, r);
                cmsUInt16Number px[3] = {cmsUInt16Number(device[0]), cmsUInt16Number(device[1]),
                                         cmsUInt16Number(device[2])};
                cmsCIELab out;
                cmsDoTransform(t, px, &out, 1);
                const double measured[3] = {out.L, out.a, out.b};
                const auto &ref = scene.shot.labs[std::size_t(scene.shot.setAt(c, r))];
                const double reference[3] = {ref[0], ref[1], ref[2]};
                expected.push_back(Kirr_colorDifference(measured, reference, 2));
            }
        cmsDeleteTransform(t);
        cmsCloseProfile(in);
        cmsCloseProfile(lab);
        std::sort(expected.begin(), expected.end());
        const std::vector<double> got = histogramValues(h);
        QCOMPARE(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            QVERIFY2(std::fabs(got[i] - expected[i]) < 0.05,
                     qPrintable(QString::number(got[i]) + " against " + QString::number(expected[i])));
    }

    void verdict_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addRow("Metamorfoze") << "Metamorfoze";
        QTest::addRow("other rule") << "Standard";
    }

    void verdict()
    {
        QFETCH(QString, mode);
        ShotScene scene(spec(6, 4));
        scene.job.settings.quality = mode;
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.doMeasurement();
        // Linear camera values read as Adobe RGB are far from the references.
        auto adobe = profileAt(adobeRgbProfilePath());
        w.setImageProfile(adobe.get());
        pq_DeltaEHistogram h;
        bool passed = true;
        bool metamorfoze = false;
        w.qualityResult(&h, &passed, &metamorfoze);
        QVERIFY(h.mean() > 4);
        QVERIFY(!passed);
        QCOMPARE(metamorfoze, mode == QLatin1String("Metamorfoze"));
    }

    void gainModulationWithEqualReferences()
    {
        // "E5" and "J6" with the same reference lightness: no gain modulation,
        // and the verdict stays a number-free pass or fail.
        ChartShotSpec s = spec(6, 10);
        ShotScene scene(s);
        QString reference = scene.shot.reference;
        const auto e5 = scene.shot.labs[4 * 6 + 4];
        const QString e5Line = QStringLiteral("E5 %1 %2 %3\n").arg(e5[0], 0, 'f', 4).arg(e5[1], 0, 'f', 4).arg(e5[2], 0, 'f', 4);
        QVERIFY(reference.contains(e5Line));
        const auto j6 = scene.shot.labs[9 * 6 + 5];
        const QString j6Line = QStringLiteral("J6 %1 %2 %3\n").arg(j6[0], 0, 'f', 4).arg(j6[1], 0, 'f', 4).arg(j6[2], 0, 'f', 4);
        QVERIFY(reference.contains(j6Line));
        reference.replace(j6Line, QStringLiteral("J6 %1 0 0\n").arg(e5[0], 0, 'f', 4));
        scene.job.setTargetTexts(s.columns, s.rows, scene.shot.definition, reference);
        scene.job.settings.quality = QStringLiteral("Metamorfoze");
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        auto srgb = profileAt(srgbProfilePath());
        w.setImageProfile(srgb.get());
        pq_DeltaEHistogram h;
        w.qualityResult(&h, nullptr, nullptr);
        QVERIFY(!h.isEmpty());
        QVERIFY(histogramIsFinite(h));
    }

    void badValuesPublishNoNaN()
    {
        ShotScene scene(spec(3, 2));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        auto srgb = profileAt(srgbProfilePath());
        Target &target = scene.job.target;
        for (unsigned c = 0; c < 3; ++c) {
            PatchIF *p = target.patch(c, 0);
            p->setValueCount(3);
            for (int ch = 0; ch < 3; ++ch)
                p->setValue1(ch, c == 0 ? qQNaN() : 0.0);
        }
        QSignalSpy statistics(&w, &pq_ImagePatchGridWidget::statisticsChanged);
        w.setImageProfile(srgb.get());
        w.computeWhiteBalance(scene.job.currentPatchGrid(), &target);
        scene.owner.render();
        pq_DeltaEHistogram h;
        w.qualityResult(&h, nullptr, nullptr);
        QVERIFY(histogramIsFinite(h));
        for (const auto &args : statistics)
            for (const QVariant &v : args)
                QVERIFY(std::isfinite(v.toDouble()));
        QCOMPARE(w.computeQuickProfile(true) >= -1.0f, true);
    }

    void rotatedShotMeasuresUpright()
    {
        // The shot lies on its side; turned by 90 degrees on screen the grid
        // sits on the upright chart and every patch reads its own value.
        ChartShotSpec s = spec(6, 4);
        ShotScene scene(s);
        const RawImage &upright = scene.shot.image;
        RawImage sideways(upright.height(), upright.width(), 3, 16);
        const QTransform turn = QPixmap::trueMatrix(QTransform().rotate(90), sideways.width(),
                                                    sideways.height());
        for (int y = 0; y < sideways.height(); ++y)
            for (int x = 0; x < sideways.width(); ++x) {
                const QPointF p = turn.map(QPointF(x + 0.5, y + 0.5));
                const int ux = int(std::floor(p.x()));
                const int uy = int(std::floor(p.y()));
                for (int c = 0; c < 3; ++c)
                    sideways.rowData16(y)[x * 3 + c] = upright.sample16(ux, uy, c);
            }
        scene.job.setChartImage(sideways);
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setPixmap(&scene.job.chartPixmap(), &sideways);
        w.setRotationAngle(90);
        QCOMPARE(w.rotationAngle(), 90);
        QCOMPARE(w.displayImage().size(), QSize(upright.width(), upright.height()) * w.scaleFactor());
        w.doMeasurement();
        for (int r = 0; r < s.rows; ++r)
            for (int c = 0; c < s.columns; ++c) {
                const PatchIF *p = scene.job.target.patch(unsigned(c), unsigned(r));
                const auto device = scene.shot.deviceAt(c, r);
                for (int ch = 0; ch < 3; ++ch)
                    QCOMPARE(p->value1(ch), device[std::size_t(ch)]);
            }
    }

    void fixtureShotReadsBackFromTiff_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("withProfile");
        QTest::addRow("16 bits, sRGB embedded") << 16 << true;
        QTest::addRow("8 bits, no profile") << 8 << false;
    }

    void fixtureShotReadsBackFromTiff()
    {
        QFETCH(int, bits);
        QFETCH(bool, withProfile);
        ChartShotSpec s = spec(6, 4);
        s.bits = bits;
        s.rotation = 3;
        s.perspective = 0.05;
        s.noise = 40;
        s.tlrOrder = true;
        const ChartShot shot = makeChartShot(s);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("shot.tif"));
        QByteArray icc;
        if (withProfile) {
            QFile file(srgbProfilePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            icc = file.readAll();
        }
        QVERIFY(shot.writeTiff(path, icc));
        Image image;
        QCOMPARE(int(image.loadImage(path, false)), 2);
        const RawImage &raw = image.rawImage();
        QCOMPARE(raw.width(), shot.image.width());
        QCOMPARE(raw.bitsPerSample(), bits);
        QCOMPARE(image.iccLength(), icc.size());
        // The centre of every cell holds its patch's device value (noise aside).
        for (int r = 0; r < s.rows; ++r)
            for (int c = 0; c < s.columns; ++c) {
                const QPoint p = shot.cellCentre(c, r).toPoint();
                const auto device = shot.deviceAt(c, r);
                for (int ch = 0; ch < 3; ++ch)
                    QVERIFY(std::fabs(raw.sample16(p.x(), p.y(), ch) - device[std::size_t(ch)]) < 300);
            }
    }

    void fixtureShotReadsBackFromDng()
    {
        const ChartShot shot = makeChartShot(spec(6, 4));
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("shot.dng"));
        QVERIFY(shot.writeDng(path));
        Image image;
        QCOMPARE(int(image.loadImage(path, false)), 2);
        const RawImage &raw = image.rawImage();
        QCOMPARE(raw.width(), shot.image.width());
        QCOMPARE(raw.height(), shot.image.height());
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c) {
                const QPoint p = shot.cellCentre(c, r).toPoint();
                const auto device = shot.deviceAt(c, r);
                for (int ch = 0; ch < 3; ++ch)
                    QVERIFY2(std::fabs(raw.sample16(p.x(), p.y(), ch) - device[std::size_t(ch)]) <= 2,
                             qPrintable(QStringLiteral("cell %1, %2 channel %3: %4 against %5")
                                            .arg(c).arg(r).arg(ch).arg(raw.sample16(p.x(), p.y(), ch))
                                            .arg(device[std::size_t(ch)])));
            }
    }

    void gridDraggedFarOutside()
    {
        ShotScene scene(spec(6, 4));
        for (int i = 0; i < 9; ++i)
            scene.job.grid.setControlPoint(i, scene.job.grid.controlPoint(i) + QPoint(100000, -90000));
        float error = 0;
        scene.owner.engine.doMeasurement(&error);
        scene.owner.render();
        QVERIFY(error == -1.0f || error >= 0);
    }
};

}  // namespace

QObject *makeMeasurementTest() { return new MeasurementTest; }

#include "test_measurement.moc"
