// The drawing and measuring engine of the grid-placement and quality-control
// pages: the current target's patch grid over the chart image, dragging of its
// control points or of the whole grid, patches coloured by their colour
// difference, the reference colour beside the measured one, hover reports,
// patch measurement, the quick profile, white balance and quality statistics.
#pragma once

#include "widgets/pq_DeltaEHistogram.h"
#include "widgets/pq_ImageWidget.h"

#include <QColor>
#include <QPen>
#include <QPixmap>

class PatchGridIF;
class PatchIF;
class TargetIF;
class Kirr_ColorImageIF;

class pq_ImagePatchGridWidget : public pq_ImageWidget
{
    Q_OBJECT

public:
    explicit pq_ImagePatchGridWidget(QQuickItem *parent = nullptr);
    ~pq_ImagePatchGridWidget() override;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hoverMoveEvent(QHoverEvent *event) override;
    void hoverEnterEvent(QHoverEvent *event) override;
    void hoverLeaveEvent(QHoverEvent *event) override;

    void markForUpdate() override;
    void paintOverlay(QPainter *painter, bool updateGrid) override;

    float measurePatches(PatchGridIF *grid, TargetIF *target, bool ratePasses);
    float computeQuickProfile(bool force);
    void computeWhiteBalance(PatchGridIF *grid, TargetIF *target);
    void computeSet3Maximum(PatchGridIF *grid, TargetIF *target);
    void resetExposure(TargetIF *target);
    void computeStatistics();
    void qualityResult(pq_DeltaEHistogram *histogram, bool *passed, bool *metamorfoze) const;
    void paintPatches(QPainter *painter, PatchGridIF *grid, TargetIF *target, const QPen &pen,
                      const QPen &widePen);

    // The rating of a patch of the given type and differences (rounded to one
    // decimal); shown when no rating applies.
    QColor ratingColour(int type, double dE, double dL, double dC, const QColor &shown) const;

    // Control point under an item position, -1 for none.
    int hitControlPoint(QPointF position);
    bool isInsideGrid(QPointF position);

    int selectedPoint() const { return m_selectedPoint; }
    double set3Maximum() const { return m_set3Maximum; }
    int set3Channel() const { return m_set3Channel; }
    bool isGridMovable() const { return m_gridMovable; }
    bool isDeltaColorsEnabled() const { return m_deltaColorsEnabled; }
    bool isGreenDeltaColorsEnabled() const { return m_greenDeltaColorsEnabled; }
    bool isYellowDeltaColorsEnabled() const { return m_yellowDeltaColorsEnabled; }
    bool isRedDeltaColorsEnabled() const { return m_redDeltaColorsEnabled; }
    double deltaColorsLimitForShow() const { return m_deltaColorsLimitForShow; }
    bool hasImageToLabMatch() const { return m_imageToLabMatch != nullptr; }
    bool hasLabToDisplayMatch() const { return m_labToDisplayMatch != nullptr; }

signals:
    void statisticsChanged(double minimum, double mean, double maximum);
    void patchInfo(bool show, int x, int y, bool isGrey = false, QColor refColor = QColor(),
                   QColor profColor = QColor(), double refL = 0, double refA = 0,
                   double refB = 0, double refC = 0, double refH = 0, double profL = 0,
                   double profA = 0, double profB = 0, double profC = 0, double profH = 0,
                   double delL = 0, double delA = 0, double delB = 0, double delC = 0,
                   double delH = 0, double delE = 0, double avgDE = 0, double maxDE = 0);
    void pickerInfo(int x, int y);
    // The Capture One TIFF's grey levels do not rise with the shot's: no film
    // curve was made from it.
    void filmCurveRefused();

public slots:
    void setGridMovable(bool movable);
    void setLightnessControlVisible(bool visible);
    void setMaskExtended(bool extended);
    void setSideBySide(bool sideBySide);
    void setGreenDeltaColorsEnabled(bool enabled);
    void setYellowDeltaColorsEnabled(bool enabled);
    void setRedDeltaColorsEnabled(bool enabled);
    void setDeltaColorsEnabled(bool enabled);
    void setDeltaColorsLimitForShow(double limit);
    void setMeasurementEnabled(bool enabled);
    void doMeasurement(float *avgDeltaE);
    void doMeasurement();
    void clearImageProfile() override;
    void setImageProfile(Kirr_ColorProfileIF *imageProfile) override;
    void setJob(pq_JobIF *job) override;
    void setPixmap(const QPixmap *pixmap, const RawImageIF *rawChartImage = nullptr,
                   const QPixmap *prettyPixmap = nullptr) override;
    void setImageRGBFactor(QVector<double> imageRGBFactor) override;
    void setTemperature(double temperature) override;

private:
    struct DeviceFormat;
    struct PatchLab;

    bool gridAndTarget(PatchGridIF *&grid, TargetIF *&target) const;
    // Tells the listener that no patch figures are shown at the pointer.
    void hidePatchInfo(int x, int y, bool isGrey = false);
    DeviceFormat deviceFormat(TargetIF *target) const;
    // The device pixel of a patch's value set 1, with channel factors, tone
    // curve and scale; false when the image cannot be made.
    void fillDevicePixel(const PatchIF &patch, const DeviceFormat &format,
                         Kirr_ColorImageIF &pixel) const;
    bool measuredLab(Kirr_ColorImageIF &device, Kirr_ColorImageIF &lab16, double lab[3]);
    void referenceLab(PatchIF &patch, double lab[3]) const;
    // Through a DNG camera profile: sets the match's exposure so that the
    // target's white (the brightest reference among the unclipped patches)
    // meets its reference lightness. The profile carries no exposure; its
    // fit held the chart's white to the reference white.
    void exposeToTargetWhite(TargetIF *target, const DeviceFormat &format,
                             Kirr_ColorImageIF &device, Kirr_ColorImageIF &lab16);
    QColor labToDisplay(const double lab[3]) const;
    QColor patchDisplayColour(const PatchIF &patch, const DeviceFormat &format,
                              Kirr_ColorImageIF &device, Kirr_ColorImageIF *rgb16);
    QColor controlPatchColour(const PatchIF &patch, TargetIF *target, double means[2][3]) const;
    void paintGridLines(QPainter *painter, PatchGridIF *grid, int columns, int rows);
    QPointF pointToItem(QPoint p) const;

    bool m_gridMovable = false;
    bool m_lightnessControlVisible = false;
    bool m_sideBySide = false;
    bool m_greenDeltaColorsEnabled = false;
    bool m_yellowDeltaColorsEnabled = false;
    bool m_redDeltaColorsEnabled = false;
    bool m_deltaColorsEnabled = false;
    double m_deltaColorsLimitForShow = -1.0;
    bool m_measurementEnabled = false;
    bool m_draggingPoint = false;
    int m_selectedPoint = -1;
    // Where the drag's moves are measured from: advanced only by what was
    // applied in whole image pixels, so slow moves add up.
    QPointF m_lastMousePos{0, 0};
    QPoint m_lastHoverPos{0, 0};
    bool m_draggingGrid = false;
    pq_DeltaEHistogram m_histogram;
    bool m_metamorfozeMode = false;
    bool m_qualityPassed = false;
    Kirr_ColorMatchIF *m_imageToLabMatch = nullptr;
    Kirr_ColorMatchIF *m_labToDisplayMatch = nullptr;
    double m_set3Maximum = 0;
    qint16 m_set3Channel = 0;
    QPixmap m_lightnessIcon;
    QPixmap m_reflectionIcon;
};
