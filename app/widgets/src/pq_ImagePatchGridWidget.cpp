// Grid, input, painting and hover of the patch-grid widget.
#include "widgets/pq_ImagePatchGridWidget.h"

#include "PatchLabSupport.h"
#include "widgets/pq_ratingThresholds.h"

#include "chart/Patch.h"
#include "chart/PatchGrid.h"
#include "chart/Target.h"
#include "colour/Kirr_ColorImageIF.h"
#include "colour/Kirr_ColorMatchIF.h"
#include "colour/Kirr_ColorProfileIF.h"
#include "colour/Kirr_colorDifference.h"
#include "colour/Kirr_colorLibrary.h"
#include "jobs/pq_JobIF.h"
#include "jobs/pq_jobExpertSettingsIF.h"

#include <QGuiApplication>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <memory>
#include <mutex>

void pq_initWidgetPictures();

namespace {

const QColor kMarkerColour(53, 219, 144);

bool isCorner(int i) { return i == 0 || i == 2 || i == 4 || i == 6; }

// a + i * (b - a) / n in whole pixels, the division truncating.
QPoint fraction(QPoint a, QPoint b, int i, int n)
{
    return QPoint(a.x() + int(qint64(b.x() - a.x()) * i / n),
                  a.y() + int(qint64(b.y() - a.y()) * i / n));
}

}  // namespace

pq_ImagePatchGridWidget::pq_ImagePatchGridWidget(QQuickItem *parent) : pq_ImageWidget(parent)
{
    pq_initWidgetPictures();
    m_lightnessIcon = QPixmap(QStringLiteral(":/assets/icon-lightning2x.png"));
    m_reflectionIcon = QPixmap(QStringLiteral(":/assets/icon-reflection.png"));
}

pq_ImagePatchGridWidget::~pq_ImagePatchGridWidget()
{
    delete m_imageToLabMatch;
    m_imageToLabMatch = nullptr;
    delete m_labToDisplayMatch;
    m_labToDisplayMatch = nullptr;
    m_lightnessIcon = QPixmap();
    m_reflectionIcon = QPixmap();
}

bool pq_ImagePatchGridWidget::gridAndTarget(PatchGridIF *&grid, TargetIF *&target) const
{
    grid = m_job ? m_job->currentPatchGrid() : nullptr;
    target = m_job ? m_job->currentTarget() : nullptr;
    return grid && target;
}

// Slots.

void pq_ImagePatchGridWidget::setGridMovable(bool movable)
{
    if (movable == m_gridMovable)
        return;
    m_gridMovable = movable;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setLightnessControlVisible(bool visible)
{
    if (visible == m_lightnessControlVisible)
        return;
    m_lightnessControlVisible = visible;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setMaskExtended(bool extended)
{
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (!grid || extended == grid->isNinePointMode())
        return;
    if (extended)
        grid->setNinePointMode();
    else
        grid->setCornerMode();
    requestRepaint();
}

void pq_ImagePatchGridWidget::setSideBySide(bool sideBySide)
{
    if (sideBySide == m_sideBySide)
        return;
    m_sideBySide = sideBySide;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setGreenDeltaColorsEnabled(bool enabled)
{
    if (enabled == m_greenDeltaColorsEnabled)
        return;
    m_greenDeltaColorsEnabled = enabled;
    m_deltaColorsEnabled =
        m_greenDeltaColorsEnabled || m_yellowDeltaColorsEnabled || m_redDeltaColorsEnabled;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setYellowDeltaColorsEnabled(bool enabled)
{
    if (enabled == m_yellowDeltaColorsEnabled)
        return;
    m_yellowDeltaColorsEnabled = enabled;
    m_deltaColorsEnabled =
        m_greenDeltaColorsEnabled || m_yellowDeltaColorsEnabled || m_redDeltaColorsEnabled;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setRedDeltaColorsEnabled(bool enabled)
{
    if (enabled == m_redDeltaColorsEnabled)
        return;
    m_redDeltaColorsEnabled = enabled;
    m_deltaColorsEnabled =
        m_greenDeltaColorsEnabled || m_yellowDeltaColorsEnabled || m_redDeltaColorsEnabled;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setDeltaColorsEnabled(bool enabled)
{
    if (enabled == m_deltaColorsEnabled && enabled == m_greenDeltaColorsEnabled
        && enabled == m_yellowDeltaColorsEnabled && enabled == m_redDeltaColorsEnabled)
        return;
    m_deltaColorsEnabled = m_greenDeltaColorsEnabled = m_yellowDeltaColorsEnabled =
        m_redDeltaColorsEnabled = enabled;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setDeltaColorsLimitForShow(double limit)
{
    if (limit == m_deltaColorsLimitForShow && m_deltaColorsEnabled && m_greenDeltaColorsEnabled
        && m_yellowDeltaColorsEnabled && m_redDeltaColorsEnabled)
        return;
    m_deltaColorsLimitForShow = std::isnan(limit) ? -1.0 : limit;
    m_deltaColorsEnabled = m_greenDeltaColorsEnabled = m_yellowDeltaColorsEnabled =
        m_redDeltaColorsEnabled = true;
    requestRepaint();
}

void pq_ImagePatchGridWidget::setMeasurementEnabled(bool enabled)
{
    if (enabled == m_measurementEnabled)
        return;
    m_measurementEnabled = enabled;
    if (enabled)
        requestRepaint();
}

void pq_ImagePatchGridWidget::clearImageProfile()
{
    if (m_imageToLabMatch) {
        delete m_imageToLabMatch;
        m_imageToLabMatch = nullptr;
        hidePatchInfo(m_lastHoverPos.x(), m_lastHoverPos.y());
        computeStatistics();
        requestRepaint();
    }
    pq_ImageWidget::clearImageProfile();
}

void pq_ImagePatchGridWidget::setImageProfile(Kirr_ColorProfileIF *imageProfile)
{
    if (m_imageToLabMatch) {
        delete m_imageToLabMatch;
        m_imageToLabMatch = nullptr;
    }
    // Figures shown at the pointer were the old profile's.
    hidePatchInfo(m_lastHoverPos.x(), m_lastHoverPos.y());
    pq_ImageWidget::setImageProfile(imageProfile);
    if (m_imageProfile) {
        std::unique_ptr<Kirr_ColorProfileIF> lab(Kirr_genericLabProfile());
        if (lab)
            m_imageToLabMatch = Kirr_createColorMatch(m_imageProfile, lab.get(), 3);
    }
    if (m_imageToLabMatch) {
        computeStatistics();
        requestRepaint();
    }
}

void pq_ImagePatchGridWidget::setJob(pq_JobIF *job)
{
    pq_ImageWidget::setJob(job);
    m_set3Maximum = 0;
    m_set3Channel = 0;
    delete m_labToDisplayMatch;
    m_labToDisplayMatch = nullptr;
    std::unique_ptr<Kirr_ColorProfileIF> lab(Kirr_genericLabProfile());
    if (!lab)
        return;
    std::unique_ptr<Kirr_ColorProfileIF> display(Kirr_displayProfile());
    if (!display && !m_defaultRGBProfilePath.isEmpty())
        display.reset(Kirr_profileFromFile(m_defaultRGBProfilePath));
    if (display)
        m_labToDisplayMatch = Kirr_createColorMatch(lab.get(), display.get(), 1);
}

void pq_ImagePatchGridWidget::setPixmap(const QPixmap *pixmap, const RawImageIF *rawChartImage,
                                        const QPixmap *prettyPixmap)
{
    pq_ImageWidget::setPixmap(pixmap, rawChartImage, prettyPixmap);
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (grid)
        grid->setImageSize(pixmapSize());
    computeStatistics();
}

void pq_ImagePatchGridWidget::setImageRGBFactor(QVector<double> imageRGBFactor)
{
    pq_ImageWidget::setImageRGBFactor(imageRGBFactor);
    if (m_imageToLabMatch) {
        computeStatistics();
        requestRepaint();
    }
}

void pq_ImagePatchGridWidget::setTemperature(double temperature)
{
    pq_ImageWidget::setTemperature(temperature);
    if (m_imageToLabMatch) {
        m_imageToLabMatch->setSourceTemperature(temperature);
        computeStatistics();
        requestRepaint();
    }
}

void pq_ImagePatchGridWidget::markForUpdate()
{
    pq_ImageWidget::markForUpdate();
    m_selectedPoint = -1;
}

// Input.

QPointF pq_ImagePatchGridWidget::pointToItem(QPoint p) const { return imageToItem(p.x(), p.y()); }

int pq_ImagePatchGridWidget::hitControlPoint(QPointF position)
{
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (!grid)
        return -1;
    const bool nine = grid->isNinePointMode();
    for (int i = 0; i < 9; ++i) {
        if (!nine && !isCorner(i))
            continue;
        const QPointF p = pointToItem(grid->controlPoint(i));
        if (std::fabs(p.x() - position.x()) < 10 && std::fabs(p.y() - position.y()) < 10)
            return i;
    }
    return -1;
}

bool pq_ImagePatchGridWidget::isInsideGrid(QPointF position)
{
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (!grid)
        return false;
    const QPointF p0 = pointToItem(grid->controlPoint(0));
    const QPointF p3 = pointToItem(grid->controlPoint(3));
    const QPointF p6 = pointToItem(grid->controlPoint(6));
    return position.x() > p0.x() && position.x() < p3.x() && position.y() > p0.y()
           && position.y() < p6.y();
}

void pq_ImagePatchGridWidget::mousePressEvent(QMouseEvent *event)
{
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (!grid || !m_gridMovable) {
        pq_ImageWidget::mousePressEvent(event);
        return;
    }
    const int hit = hitControlPoint(event->localPos());
    if (hit >= 0) {
        m_draggingPoint = true;
        m_selectedPoint = hit;
    } else if (isInsideGrid(event->localPos()) && m_sideBySide) {
        m_draggingGrid = true;
    } else {
        pq_ImageWidget::mousePressEvent(event);
        return;
    }
    m_lastMousePos = event->localPos();
    event->accept();
}

void pq_ImagePatchGridWidget::mouseMoveEvent(QMouseEvent *event)
{
    PatchGridIF *grid = m_job ? m_job->currentPatchGrid() : nullptr;
    if (!grid || !m_gridMovable) {
        pq_ImageWidget::mouseMoveEvent(event);
        return;
    }
    emit patchInfo(false, event->pos().x(), event->pos().y(), false, QColor(Qt::black),
                   QColor(Qt::black), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    const double scale = scaleFactor() > 0 ? scaleFactor() : 1.0;
    const QPointF delta = event->localPos() - m_lastMousePos;
    const QPoint offset(int(Kirr_round(delta.x() / scale)), int(Kirr_round(delta.y() / scale)));
    // The part of the move not yet applied stays for the next one: a slow
    // drag at any zoom moves the point as far as the pointer.
    const QPointF applied = QPointF(offset) * scale;
    if (m_draggingPoint && m_selectedPoint >= 0) {
        grid->setControlPoint(m_selectedPoint, grid->controlPoint(m_selectedPoint) + offset);
        m_lastMousePos += applied;
        repaintNow();
        event->accept();
        return;
    }
    if (m_draggingGrid) {
        for (int i = 0; i < 9; ++i)
            grid->setControlPoint(i, grid->controlPoint(i) + offset);
        m_lastMousePos += applied;
        repaintNow();
        event->accept();
        return;
    }
    if (hitControlPoint(event->localPos()) >= 0
        || (m_sideBySide && isInsideGrid(event->localPos()))) {
        event->accept();
        return;
    }
    pq_ImageWidget::mouseMoveEvent(event);
}

void pq_ImagePatchGridWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_draggingPoint) {
        m_draggingPoint = false;
        m_quickProfileNeeded = 1;
        requestRepaint();
        event->accept();
        return;
    }
    if (m_draggingGrid) {
        m_draggingGrid = false;
        event->accept();
        return;
    }
    pq_ImageWidget::mouseReleaseEvent(event);
}

// Painting.

void pq_ImagePatchGridWidget::paintOverlay(QPainter *painter, bool updateGrid)
{
    painter->setRenderHint(QPainter::Antialiasing, true);
    pq_ImageWidget::paintOverlay(painter, updateGrid);
    PatchGridIF *grid = nullptr;
    TargetIF *target = nullptr;
    if (!gridAndTarget(grid, target))
        return;
    grid->setGridSize(int(target->rows()), int(target->columns()));
    if (updateGrid) {
        if (grid->noPointPlaced())
            grid->resetToImageRect();
        grid->updateControlPoints(m_selectedPoint);
        grid->updateCenter();
    }
    if (m_measurementEnabled)
        computeQuickProfile(false);
    const QPen pen(Qt::white);
    const QPen widePen(Qt::white, 2);
    painter->setPen(pen);
    painter->setCompositionMode(QPainter::CompositionMode_Difference);
    if (isCorner(m_selectedPoint))
        grid->updateControlPoints(m_selectedPoint);
    if (grid->isCornerMode())
        grid->updateCenter();
    if (m_selectedPoint >= 0)
        grid->markPointPlaced(m_selectedPoint);
    for (int i = 0; i < 8; ++i)
        painter->drawLine(pointToItem(grid->controlPoint(i)),
                          pointToItem(grid->controlPoint((i + 1) % 8)));
    if (m_gridMovable) {
        const bool nine = grid->isNinePointMode();
        for (int i = 0; i < 9; ++i) {
            if (!nine && !isCorner(i))
                continue;
            const QPointF c = pointToItem(grid->controlPoint(i));
            painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter->setPen(QPen(kMarkerColour, 2));
            painter->setBrush(kMarkerColour);
            painter->drawEllipse(c, 8, 8);
            painter->setPen(QPen(Qt::black, 2));
            painter->setBrush(Qt::black);
            painter->drawEllipse(c, 1, 1);
            painter->setCompositionMode(QPainter::CompositionMode_Difference);
        }
        painter->setBrush(Qt::NoBrush);
        painter->setPen(pen);
    }
    paintGridLines(painter, grid, int(target->columns()), int(target->rows()));
    paintPatches(painter, grid, target, pen, widePen);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void pq_ImagePatchGridWidget::paintGridLines(QPainter *painter, PatchGridIF *grid, int c, int r)
{
    if (c <= 0 || r <= 0)
        return;
    static const int quarters[4][4] = {{0, 1, 7, 8}, {1, 2, 8, 3}, {8, 3, 5, 4}, {7, 8, 6, 5}};
    for (int q = 0; q < 4; ++q) {
        const QPoint tl = grid->controlPoint(quarters[q][0]);
        const QPoint tr = grid->controlPoint(quarters[q][1]);
        const QPoint bl = grid->controlPoint(quarters[q][2]);
        const QPoint br = grid->controlPoint(quarters[q][3]);
        const int columnStart = (q == 0 || q == 3) ? 2 : (c % 2 == 0 ? 0 : 1);
        for (int i = columnStart; i < c; i += 2) {
            const QPoint a = fraction(tl, tr, i, c);
            const QPoint b = fraction(bl, br, i, c);
            painter->drawLine(pointToItem(a), pointToItem(b));
        }
        const int rowStart = (q == 0 || q == 1) ? 2 : (r % 2 == 0 ? 0 : 1);
        for (int j = rowStart; j < r; j += 2) {
            const QPoint a = fraction(tl, bl, j, r);
            const QPoint b = fraction(tr, br, j, r);
            painter->drawLine(pointToItem(a), pointToItem(b));
        }
    }
}
