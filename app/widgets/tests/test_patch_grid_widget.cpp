#include "WidgetTests.h"

#include "ShotScene.h"

#include "chart/Patch.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"
#include "widgets/pq_ratingThresholds.h"

#include <QFile>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Little CMS transforms the tests compare against.
struct Lcms
{
    cmsHPROFILE srgb = cmsOpenProfileFromFile(srgbProfilePath().toLocal8Bit().constData(), "r");
    cmsHPROFILE adobe =
        cmsOpenProfileFromFile(adobeRgbProfilePath().toLocal8Bit().constData(), "r");
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    ~Lcms()
    {
        cmsCloseProfile(srgb);
        cmsCloseProfile(adobe);
        cmsCloseProfile(lab);
    }

    QColor srgbToDisplay(const std::array<double, 3> &device16) const
    {
        cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_RGB_16, adobe, TYPE_RGB_16,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
        cmsUInt16Number in[3], out[3];
        for (int c = 0; c < 3; ++c)
            in[c] = cmsUInt16Number(device16[std::size_t(c)]);
        cmsDoTransform(t, in, out, 1);
        cmsDeleteTransform(t);
        return QColor(int(std::lround(out[0] / 65535.0 * 255)), int(std::lround(out[1] / 65535.0 * 255)),
                      int(std::lround(out[2] / 65535.0 * 255)));
    }

    std::array<double, 3> srgbToLab(const std::array<double, 3> &device16) const
    {
        cmsHTRANSFORM t = cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_Lab_DBL,
                                             INTENT_ABSOLUTE_COLORIMETRIC, 0);
        cmsUInt16Number in[3];
        for (int c = 0; c < 3; ++c)
            in[c] = cmsUInt16Number(device16[std::size_t(c)]);
        cmsCIELab out;
        cmsDoTransform(t, in, &out, 1);
        cmsDeleteTransform(t);
        return {out.L, out.a, out.b};
    }

    QColor labToDisplay(const std::array<double, 3> &l) const
    {
        cmsHTRANSFORM t = cmsCreateTransform(lab, TYPE_Lab_DBL, adobe, TYPE_RGB_8,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
        cmsCIELab in{l[0], l[1], l[2]};
        cmsUInt8Number out[3];
        cmsDoTransform(t, &in, out, 1);
        cmsDeleteTransform(t);
        return QColor(out[0], out[1], out[2]);
    }
};

bool closeColour(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(QColor c) { return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

void press(pq_ImageWidget &w, QPointF p)
{
    QMouseEvent e(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    w.mousePressEvent(&e);
}

void move(pq_ImageWidget &w, QPointF p)
{
    QMouseEvent e(QEvent::MouseMove, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    w.mouseMoveEvent(&e);
}

void release(pq_ImageWidget &w, QPointF p)
{
    QMouseEvent e(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    w.mouseReleaseEvent(&e);
}

std::unique_ptr<Kirr_ColorProfileIF> srgbProfile()
{
    return std::unique_ptr<Kirr_ColorProfileIF>(Kirr_profileFromFile(srgbProfilePath()));
}

// Captures what is written on the standard error stream.
class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = dup(2);
        dup2(m_file.handle(), 2);
    }
    QString finish()
    {
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
        QFile read(m_file.fileName());
        read.open(QIODevice::ReadOnly);
        return QString::fromLatin1(read.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

ChartShotSpec smallSpec()
{
    ChartShotSpec spec;
    spec.columns = 6;
    spec.rows = 4;
    spec.cell = 24;
    return spec;
}

class PatchGridWidgetTest : public QObject
{
    Q_OBJECT

private slots:
    void hitTests_data()
    {
        QTest::addColumn<bool>("ninePoint");
        QTest::addColumn<int>("point");
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<int>("expected");
        QTest::addRow("corner at 9.9") << false << 0 << QPointF(9.9, 9.9) << 0;
        QTest::addRow("corner at 10") << false << 0 << QPointF(10, 0) << -1;
        QTest::addRow("corner at -9.9") << false << 4 << QPointF(-9.9, 0) << 4;
        QTest::addRow("midpoint in corner mode") << false << 1 << QPointF(0, 0) << -1;
        QTest::addRow("midpoint in nine-point mode") << true << 1 << QPointF(2, 2) << 1;
        QTest::addRow("centre in nine-point mode") << true << 8 << QPointF(0, -9.9) << 8;
    }

    void hitTests()
    {
        QFETCH(bool, ninePoint);
        QFETCH(int, point);
        QFETCH(QPointF, offset);
        QFETCH(int, expected);
        ShotScene scene(smallSpec());
        scene.owner.engine.setMaskExtended(ninePoint);
        QCOMPARE(scene.job.grid.isNinePointMode(), ninePoint);
        const QPoint p = scene.job.grid.controlPoint(point);
        const QPointF item = scene.owner.engine.imageToItem(p.x(), p.y()) + offset;
        QCOMPARE(scene.owner.engine.hitControlPoint(item), expected);
    }

    void pointDragRoundsAndAsksForAQuickProfile()
    {
        ShotScene scene(smallSpec());
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setGridMovable(true);
        w.setScaleFactor(2.0);
        w.doMeasurement();
        QCOMPARE(w.isQuickProfileNeeded(), 0);
        QSignalSpy info(&w, &pq_ImagePatchGridWidget::patchInfo);
        const QPoint before = scene.job.grid.controlPoint(0);
        const QPointF start = w.imageToItem(before.x(), before.y());
        press(w, start);
        // 3 item units at scale 2 are 1.5 image pixels: 2 away from zero.
        move(w, start + QPointF(3, -3));
        QCOMPARE(scene.job.grid.controlPoint(0), before + QPoint(2, -2));
        QCOMPARE(info.count(), 1);
        QCOMPARE(info.at(0).at(0).toBool(), false);
        QCOMPARE(info.at(0).size(), 24);
        release(w, start + QPointF(3, -3));
        QCOMPARE(w.isQuickProfileNeeded(), 1);
    }

    void slowDragFollowsThePointer_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("wholeGrid");
        QTest::addRow("point, zoomed in 2.5 times") << 2.5 << false;
        QTest::addRow("point, zoomed in 1.95 times") << 1.95 << false;
        QTest::addRow("point, zoomed out") << 0.5 << false;
        QTest::addRow("grid, zoomed in 2.5 times") << 2.5 << true;
    }

    // A drag in one-unit moves, as a slow hand makes it: the point ends where
    // the pointer is, not where each move's rounding would put it.
    void slowDragFollowsThePointer()
    {
        QFETCH(double, scale);
        QFETCH(bool, wholeGrid);
        ShotScene scene(smallSpec());
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setGridMovable(true);
        w.setSideBySide(wholeGrid);
        w.setScaleFactor(scale);
        w.doMeasurement();
        const QPoint before = scene.job.grid.controlPoint(0);
        const QPointF start = wholeGrid ? scene.cellInItem(2, 2) : w.imageToItem(before.x(), before.y());
        press(w, start);
        const QPointF by(12, -9);
        for (int i = 1; i <= 12; ++i)
            move(w, start + QPointF(i, -std::min(i, 9)));
        release(w, start + by);
        const QPoint moved = scene.job.grid.controlPoint(0) - before;
        const QPointF want = by / scale;
        QVERIFY2(std::fabs(moved.x() - want.x()) <= 0.5 + 1e-9 && std::fabs(moved.y() - want.y()) <= 0.5 + 1e-9,
                 qPrintable(QStringLiteral("moved by %1,%2 for %3,%4").arg(moved.x()).arg(moved.y())
                                .arg(want.x()).arg(want.y())));
    }

    void gridDragMovesEveryPointOnly()
    {
        ShotScene scene(smallSpec());
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setGridMovable(true);
        w.setSideBySide(true);
        w.doMeasurement();
        QPoint before[9];
        for (int i = 0; i < 9; ++i)
            before[i] = scene.job.grid.controlPoint(i);
        const QPointF inside = scene.cellInItem(2, 2);
        press(w, inside);
        move(w, inside + QPointF(5, 4));
        release(w, inside + QPointF(5, 4));
        for (int i = 0; i < 9; ++i)
            QCOMPARE(scene.job.grid.controlPoint(i), before[i] + QPoint(5, 4));
        QCOMPARE(w.isQuickProfileNeeded(), 0);
        // Elsewhere the press pans.
        w.setImageMovable(true);
        const QPoint offset = w.imageOffset();
        press(w, QPointF(2, 2));
        move(w, QPointF(6, 2));
        QCOMPARE(w.imageOffset(), offset + QPoint(4, 0));
    }

    void markersAndChartUnderTheGrid()
    {
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.setGridMovable(true);
        const QImage frame = scene.owner.render();
        keepPicture(frame, QStringLiteral("widgets_markers.png"));
        const QPoint corner = scene.job.grid.controlPoint(2);
        const QPointF marker = w.imageToItem(corner.x(), corner.y()) + QPointF(5, 0);
        QCOMPARE(QColor(frame.pixel(marker.toPoint())), QColor(53, 219, 144));
        QCOMPARE(QColor(frame.pixel(2, 2)), QColor(100, 100, 100));
    }

    void shownColourIsTheDisplayConversionOfTheDevice()
    {
        Lcms lcms;
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;  // no channel factors
        w.doMeasurement();
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        const QImage frame = scene.owner.render();
        keepPicture(frame, QStringLiteral("widgets_patches.png"));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c) {
                const PatchIF *p = scene.job.target.patch(unsigned(c), unsigned(r));
                const std::array<double, 3> device = scene.shot.deviceAt(c, r);
                for (int ch = 0; ch < 3; ++ch)
                    QCOMPARE(p->value1(ch), device[std::size_t(ch)]);
                const QColor shown(frame.pixel(scene.cellInItem(c, r).toPoint()));
                const QColor expected = lcms.srgbToDisplay(device);
                QVERIFY2(closeColour(shown, expected, 1),
                         qPrintable(describe(shown) + " against " + describe(expected)));
            }
    }

    void referenceTriangleOnlyWithoutImageProfile()
    {
        Lcms lcms;
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        QVERIFY(w.hasLabToDisplayMatch());
        const QPointF centre = scene.cellInItem(1, 1);
        const QPoint upperLeft = (centre + QPointF(-4, -4)).toPoint();
        const QPoint lowerRight = (centre + QPointF(4, 4)).toPoint();
        QImage frame = scene.owner.render();
        const QColor reference = lcms.labToDisplay(scene.shot.labs[std::size_t(scene.shot.setAt(1, 1))]);
        QVERIFY2(closeColour(QColor(frame.pixel(upperLeft)), reference, 2),
                 qPrintable(describe(QColor(frame.pixel(upperLeft))) + " against " + describe(reference)));
        QVERIFY(QColor(frame.pixel(lowerRight)) != QColor(frame.pixel(upperLeft)));
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        frame = scene.owner.render();
        QCOMPARE(QColor(frame.pixel(upperLeft)), QColor(frame.pixel(lowerRight)));
    }

    void ratingBands_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<double>("dE");
        QTest::addColumn<double>("dL");
        QTest::addColumn<double>("dC");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QColor>("expected");
        const QColor shown(1, 2, 3);
        // L = 5, U = 10: 0.6 L = 3, 0.6 (U + 0.4 L) = 7.2.
        QTest::addRow("below 0.6 L") << 0 << 2.9 << 0.0 << 0.0 << "gyr" << QColor(30, 255, 30);
        QTest::addRow("at 0.6 L") << 0 << 3.0 << 0.0 << 0.0 << "gyr" << QColor(0, 240, 0);
        QTest::addRow("below L") << 0 << 4.9 << 0.0 << 0.0 << "gyr" << QColor(0, 240, 0);
        QTest::addRow("at L") << 0 << 5.0 << 0.0 << 0.0 << "gyr" << QColor(255, 255, 0);
        QTest::addRow("at 7.2") << 0 << 7.2 << 0.0 << 0.0 << "gyr" << QColor(255, 200, 0);
        QTest::addRow("below U") << 0 << 9.9 << 0.0 << 0.0 << "gyr" << QColor(255, 200, 0);
        QTest::addRow("at U") << 0 << 10.0 << 0.0 << 0.0 << "gyr" << QColor(255, 0, 0);
        QTest::addRow("green off") << 0 << 1.0 << 0.0 << 0.0 << "yr" << shown;
        QTest::addRow("yellow off") << 0 << 6.0 << 0.0 << 0.0 << "gr" << shown;
        QTest::addRow("red off") << 0 << 12.0 << 0.0 << 0.0 << "gy" << shown;
        QTest::addRow("grey at equality") << 2 << 2.828 << 2.0 << -2.0 << "gyr" << QColor(0, 240, 0);
        QTest::addRow("grey beyond dL") << 2 << 1.0 << 2.1 << 0.0 << "gyr" << QColor(255, 0, 0);
        QTest::addRow("grey beyond dC") << 2 << 1.0 << 0.0 << 2.1 << "gyr" << QColor(255, 0, 0);
        QTest::addRow("grey beyond dE") << 2 << 2.9 << 0.0 << 0.0 << "gyr" << QColor(255, 0, 0);
        QTest::addRow("grey, red off") << 2 << 2.9 << 0.0 << 0.0 << "gy" << shown;
        QTest::addRow("no difference") << 0 << -1.0 << 0.0 << 0.0 << "gyr" << shown;
    }

    void ratingBands()
    {
        QFETCH(int, type);
        QFETCH(double, dE);
        QFETCH(double, dL);
        QFETCH(double, dC);
        QFETCH(QString, flags);
        QFETCH(QColor, expected);
        pq_ImagePatchGridWidget w;
        w.setGreenDeltaColorsEnabled(flags.contains('g'));
        w.setYellowDeltaColorsEnabled(flags.contains('y'));
        w.setRedDeltaColorsEnabled(flags.contains('r'));
        QCOMPARE(w.isDeltaColorsEnabled(), !flags.isEmpty());
        QCOMPARE(w.ratingColour(type, dE, dL, dC, QColor(1, 2, 3)), expected);
    }

    void ratingLimitAndThresholdSource()
    {
        pq_ImagePatchGridWidget w;
        w.setDeltaColorsLimitForShow(4.0);
        QVERIFY(w.isGreenDeltaColorsEnabled() && w.isYellowDeltaColorsEnabled()
                && w.isRedDeltaColorsEnabled());
        QCOMPARE(w.ratingColour(0, 4.5, 0, 0, QColor(1, 2, 3)), QColor(1, 2, 3));
        QCOMPARE(w.ratingColour(0, 4.0, 0, 0, QColor(1, 2, 3)), QColor(0, 240, 0));
        pq_setRatingThresholdSource([] {
            pq_ratingThresholds t;
            t.colorDeltaEThresholdLower = 1.0;
            return t;
        });
        QCOMPARE(w.ratingColour(0, 4.0, 0, 0, QColor(1, 2, 3)), QColor(255, 255, 0));
        pq_setRatingThresholdSource({});
        w.setDeltaColorsEnabled(false);
        QVERIFY(!w.isRedDeltaColorsEnabled());
    }

    void ratingsOnScreen()
    {
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        w.setDeltaColorsEnabled(true);
        const QImage frame = scene.owner.render();
        keepPicture(frame, QStringLiteral("widgets_ratings.png"));
        const QSet<QRgb> bands{qRgb(30, 255, 30), qRgb(0, 240, 0), qRgb(255, 255, 0),
                               qRgb(255, 200, 0), qRgb(255, 0, 0)};
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 6; ++c) {
                const QRgb shown = frame.pixel(scene.cellInItem(c, r).toPoint()) | 0xff000000u;
                QVERIFY2(bands.contains(shown), qPrintable(describe(QColor(shown))));
            }
    }

    void lightnessAndReflectionBands()
    {
        ChartShotSpec spec = smallSpec();
        ShotScene scene(spec, QSizeF(376, 280));
        QString definition = scene.shot.definition;
        definition.replace(QStringLiteral("A1 N\n"), QStringLiteral("A1 LC\n"));
        definition.replace(QStringLiteral("A2 N\n"), QStringLiteral("A2 LC\n"));
        definition.replace(QStringLiteral("A3 N\n"), QStringLiteral("A3 BK\n"));
        definition.replace(QStringLiteral("A4 N\n"), QStringLiteral("A4 BK\n"));
        scene.job.setTargetTexts(spec.columns, spec.rows, definition, scene.shot.reference);
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        // Lightness patches 0.5 % of full scale from their mean, reflection
        // patches 1 %.
        const double values[4] = {30000, 30000 + 655.35, 20000, 20000 + 2 * 655.35};
        for (int i = 0; i < 4; ++i) {
            PatchIF *p = scene.job.target.patch(unsigned(i), 0);
            p->setValueCount(3);
            for (int c = 0; c < 3; ++c)
                p->setValue1(c, values[i]);
        }
        QCOMPARE(scene.job.target.patch(0, 0)->type(), int(PatchIF::TypeLightness));
        QCOMPARE(scene.job.target.patch(2, 0)->type(), int(PatchIF::TypeReflection));
        QImage frame = scene.owner.render();
        const QColor plain(frame.pixel(scene.cellInItem(0, 0).toPoint() + QPoint(5, 5)));
        QVERIFY(plain != QColor(0, 255, 0));
        w.setLightnessControlVisible(true);
        frame = scene.owner.render();
        keepPicture(frame, QStringLiteral("widgets_control_bands.png"));
        const QColor expected[4] = {QColor(0, 255, 0), QColor(0, 255, 0), QColor(255, 100, 0),
                                    QColor(255, 100, 0)};
        for (int i = 0; i < 4; ++i) {
            // The icon sits at the quad's top-left corner; its upper right
            // corner shows the band.
            const QPoint upperRight = scene.cellInItem(i, 0).toPoint() + QPoint(9, -9);
            QCOMPARE(QColor(frame.pixel(upperRight)), expected[i]);
            bool iconSeen = false;
            for (int dy = -10; dy <= 0 && !iconSeen; ++dy)
                for (int dx = -10; dx <= 0 && !iconSeen; ++dx)
                    iconSeen = QColor(frame.pixel(scene.cellInItem(i, 0).toPoint() + QPoint(dx, dy)))
                               != expected[i];
            QVERIFY2(iconSeen, "the icon is drawn on the band");
        }
    }

    void typeOnePatchIsCrossedOut()
    {
        ChartShotSpec spec = smallSpec();
        ShotScene scene(spec, QSizeF(376, 280));
        // An ignored patch takes no reference set.
        QString definition = scene.shot.definition;
        definition.replace(QStringLiteral("B2 N\n"), QStringLiteral("B2 I\n"));
        QStringList reference;
        for (const QString &line : scene.shot.reference.split('\n'))
            if (!line.startsWith(QLatin1String("B2 ")))
                reference << line;
        QString text = reference.join('\n');
        text.replace(QStringLiteral("NUMBER_OF_SETS 24"), QStringLiteral("NUMBER_OF_SETS 23"));
        scene.job.setTargetTexts(spec.columns, spec.rows, definition, text);
        QCOMPARE(scene.job.target.patch(1, 1)->type(), int(PatchIF::TypeIgnored));
        const QImage frame = scene.owner.render();
        keepPicture(frame, QStringLiteral("widgets_ignored.png"));
        // The diagonal runs through the cell's centre, drawn in difference mode.
        const QPoint centre = scene.cellInItem(1, 1).toPoint();
        const QColor under(scene.job.chartPixmap().toImage().pixel(scene.shot.cellCentre(1, 1).toPoint()));
        const QColor shown(frame.pixel(centre));
        QVERIFY(closeColour(shown, QColor(255 - under.red(), 255 - under.green(), 255 - under.blue()), 40));
        // Beside the diagonal the chart shows through.
        QVERIFY(closeColour(QColor(frame.pixel(centre + QPoint(6, -6))), under, 1));
    }

    void hoverReportsLabAndDifferences()
    {
        Lcms lcms;
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        QSignalSpy info(&w, &pq_ImagePatchGridWidget::patchInfo);
        QSignalSpy picker(&w, &pq_ImagePatchGridWidget::pickerInfo);
        const QPointF at = scene.cellInItem(2, 1);
        QHoverEvent hover(QEvent::HoverMove, at, at, Qt::AltModifier);
        w.hoverMoveEvent(&hover);
        QCOMPARE(info.count(), 1);
        QCOMPARE(picker.count(), 1);
        const QList<QVariant> a = info.at(0);
        QCOMPARE(a.size(), 24);
        QCOMPARE(a.at(0).toBool(), true);
        QCOMPARE(a.at(1).toInt(), int(at.x()));
        QCOMPARE(a.at(3).toBool(), false);
        const std::array<double, 3> ref = scene.shot.labs[std::size_t(scene.shot.setAt(2, 1))];
        const std::array<double, 3> prof = lcms.srgbToLab(scene.shot.deviceAt(2, 1));
        const double tol = 0.05;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(std::fabs(a.at(6 + i).toDouble() - ref[std::size_t(i)]) < 1e-3);
            QVERIFY2(std::fabs(a.at(11 + i).toDouble() - prof[std::size_t(i)]) < tol,
                     qPrintable(QString::number(a.at(11 + i).toDouble()) + " against "
                                + QString::number(prof[std::size_t(i)])));
        }
        QVERIFY(std::fabs(a.at(9).toDouble() - std::hypot(ref[1], ref[2])) < 1e-3);
        QVERIFY(std::fabs(a.at(10).toDouble() - std::atan2(ref[2], ref[1]) * 180 / M_PI) < 1e-3);
        QVERIFY(std::fabs(a.at(14).toDouble() - std::hypot(prof[1], prof[2])) < tol);
        QVERIFY(std::fabs(a.at(17).toDouble() - (a.at(12).toDouble() - a.at(7).toDouble())) < 1e-9);
        QVERIFY(std::fabs(a.at(18).toDouble() - (a.at(13).toDouble() - a.at(8).toDouble())) < 1e-9);
        const double measured[3] = {a.at(11).toDouble(), a.at(12).toDouble(), a.at(13).toDouble()};
        const double reference[3] = {a.at(6).toDouble(), a.at(7).toDouble(), a.at(8).toDouble()};
        QCOMPARE(a.at(21).toDouble(), double(Kirr_colorDifference(measured, reference, 2)));
        pq_DeltaEHistogram histogram;
        w.qualityResult(&histogram, nullptr, nullptr);
        QCOMPARE(a.at(22).toDouble(), histogram.median());
        QCOMPARE(a.at(23).toDouble(), histogram.percentile(1.0));
        QCOMPARE(lcms.labToDisplay(ref), a.at(4).value<QColor>());

        // Outside the grid: hidden, then the picker.
        QHoverEvent outside(QEvent::HoverMove, QPointF(1, 1), QPointF(1, 1), Qt::NoModifier);
        w.hoverMoveEvent(&outside);
        QCOMPARE(info.count(), 2);
        QCOMPARE(info.at(1).at(0).toBool(), false);
        QCOMPARE(picker.count(), 2);
        QCOMPARE(picker.at(1).at(0).toInt(), 1);

        // Entering straight onto a patch shows it; leaving the image, or the
        // profile going away, hides what was shown.
        QHoverEvent enter(QEvent::HoverEnter, at, at, Qt::NoModifier);
        w.hoverEnterEvent(&enter);
        QCOMPARE(info.count(), 3);
        QCOMPARE(info.at(2).at(0).toBool(), true);
        QHoverEvent leave(QEvent::HoverLeave, QPointF(-5, 3), at, Qt::NoModifier);
        w.hoverLeaveEvent(&leave);
        QCOMPARE(info.count(), 4);
        QCOMPARE(info.at(3).at(0).toBool(), false);
        w.hoverEnterEvent(&enter);
        QCOMPARE(info.last().at(0).toBool(), true);
        const int before = info.count();
        w.clearImageProfile();
        QCOMPARE(info.count(), before + 1);
        QCOMPARE(info.last().at(0).toBool(), false);
        QCOMPARE(info.last().at(1).toInt(), int(at.x()));
    }

    void hoverWithoutImageProfileHides()
    {
        ShotScene scene(smallSpec(), QSizeF(376, 280));
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        w.doMeasurement();
        QSignalSpy info(&w, &pq_ImagePatchGridWidget::patchInfo);
        const QPointF at = scene.cellInItem(0, 3);
        QHoverEvent hover(QEvent::HoverMove, at, at, Qt::AltModifier);
        w.hoverMoveEvent(&hover);
        QCOMPARE(info.count(), 1);
        QCOMPARE(info.at(0).at(0).toBool(), false);
        QCOMPARE(info.at(0).at(3).toBool(), true);  // a grey patch
        QCOMPARE(info.at(0).at(23).toDouble(), 0.0);
    }

    void qualityReport()
    {
        ChartShotSpec spec;
        spec.columns = 3;
        spec.rows = 2;
        ShotScene scene(spec);
        pq_ImagePatchGridWidget &w = scene.owner.engine;
        scene.job.allLoaded = false;
        w.doMeasurement();
        auto profile = srgbProfile();
        w.setImageProfile(profile.get());
        QSignalSpy statistics(&w, &pq_ImagePatchGridWidget::statisticsChanged);
        StderrCapture capture;
        scene.owner.render();
        const QStringList lines = capture.finish().split('\n');
        QVERIFY(lines.size() >= 9);
        QCOMPARE(lines.at(0), QStringLiteral("ID    CTL       measured RGB          matched to Lab"
                                             "         reference Lab       deltaE"));
        QCOMPARE(lines.at(1), QStringLiteral("---   ---   --------------------   ----------------"
                                             "----   --------------------   ------"));
        const std::array<double, 3> device = scene.shot.deviceAt(0, 0);
        const QString row = QString::asprintf(" A1    N   %6.2f %6.2f %6.2f", device[0] / 257.0,
                                              device[1] / 257.0, device[2] / 257.0);
        QVERIFY2(lines.at(2).startsWith(row), qPrintable(lines.at(2) + "\n" + row));
        QVERIFY(lines.at(8).startsWith(QStringLiteral("Statistics: deltaE = ")));
        QCOMPARE(statistics.count(), 1);
    }
};

}  // namespace

QObject *makePatchGridWidgetTest() { return new PatchGridWidgetTest; }

#include "test_patch_grid_widget.moc"
