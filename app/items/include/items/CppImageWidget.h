#pragma once
// The chart image of the grid-placement page: shows the current shot with its
// patch grid through an owned patch-grid engine, places the grid by itself,
// starts and cancels profiling runs, reports their results and measures the
// written profile's quality.

#include "controller/pq_ImageItemIF.h"

#include <QImage>
#include <QMap>
#include <QSet>
#include <QPolygonF>
#include <QQuickPaintedItem>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

class pq_DeltaEHistogram;
class pq_ImagePatchGridWidget;
class pq_JobIF;

class CppImageWidget : public QQuickPaintedItem, public pq_ImageItemIF {
    Q_OBJECT
    Q_PROPERTY(QString shot READ shot WRITE setShot)
    Q_PROPERTY(QString action READ action WRITE setAction)
    Q_PROPERTY(bool greenDelta READ greenDelta WRITE setGreenDeltaChecked NOTIFY signalGreenDeltaChecked)
    Q_PROPERTY(bool yellowDelta READ yellowDelta WRITE setYellowDeltaChecked NOTIFY signalYellowDeltaChecked)
    Q_PROPERTY(bool redDelta READ redDelta WRITE setRedDeltaChecked NOTIFY signalRedDeltaChecked)
    Q_PROPERTY(QString deltaEStatistics READ deltaEStatistics NOTIFY signalDeltaEChanged)
    Q_PROPERTY(bool deltaEIsGood READ deltaEIsGood NOTIFY signalDeltaEChanged)
    Q_PROPERTY(QString deltaEValue READ deltaEValue NOTIFY signalDeltaEChanged)
    Q_PROPERTY(QString deltaLabel READ deltaLabel NOTIFY signalDeltaEChanged)
    Q_PROPERTY(double qaSliderValue READ qaSliderValue WRITE qaSliderChanged NOTIFY signalDeltaEChanged)
    Q_PROPERTY(bool isLastShot READ isLastShot NOTIFY signalIsLastShotChanged)
    Q_PROPERTY(bool isFilmCurveMissing READ isFilmCurveMissing NOTIFY signalIsFilmCurveMissingChanged)
    Q_PROPERTY(QString errorExtractFilmCurve READ errorExtractFilmCurve NOTIFY signalErrorExtractFilmCurveChanged)
    // A shot chosen among the current target's shots is loading.
    Q_PROPERTY(bool loadingShot READ isLoadingShot NOTIFY signalLoadingShotChanged)

public:
    explicit CppImageWidget(QQuickItem* parent = nullptr);
    ~CppImageWidget() override;

    QString shot() const { return m_shot; }
    QString action() const { return m_action; }
    bool greenDelta() const { return m_greenDelta; }
    bool yellowDelta() const { return m_yellowDelta; }
    bool redDelta() const { return m_redDelta; }
    QString deltaEStatistics() const { return m_deltaEStatistics; }
    bool deltaEIsGood() const;
    QString deltaEValue() const { return m_deltaEValue; }
    QString deltaLabel() const { return m_deltaLabel; }
    double qaSliderValue() const { return m_qaSliderValue; }
    bool isLastShot() const { return m_isLastShot; }
    bool isFilmCurveMissing() const { return m_isFilmCurveMissing; }
    QString errorExtractFilmCurve() const { return m_errorExtractFilmCurve; }
    bool isLoadingShot() const { return m_loadingChosenShot; }

    void setShot(const QString& url) override;
    void setAction(const QString& command);
    void setGreenDeltaChecked(bool checked);
    void setYellowDeltaChecked(bool checked);
    void setRedDeltaChecked(bool checked);
    void qaSliderChanged(double value);

    // The controller's calls.
    void setJobByName(const QString& name) override;
    void selectShot(const QString& shot, const QString& lightSource) override;
    int shotIndex() const override;
    void resetShotState(bool keepRotations) override;
    void measureQuality(const QString& profilePath) override;
    void setC1TifPath(const QString& path) override;
    void setGridMovable(bool movable) override;
    void setLightnessControlVisible(bool visible) override;
    QImage sampleImage(const QPoint& centre, const QSize& size) override;
    QVector<double> averageColor(const QPoint& point, int radius) override;
    void applyImageProfile() override;

    void initializeWidget();
    void refreshImage(int lightSource);
    // Places the grid on the chart in the engine's rotation; result (when
    // given) receives the engine's average colour difference.
    // Places the grid for the engine's rotation on a stored placement, on the
    // chart the finder finds (cached per rotation class), else over the whole
    // picture, and measures; true when it stands on found corners.
    bool placeGrid(float* result);
    void rotateCCW();
    void rotateCW();
    void prepareProfileName();
    void startProfiling();
    void cancelProfiling();
    // Gives the engine the profile at path (its DCP twin preferred for
    // jobs that make DCPs); false when none opens.
    bool setImageProfileFromPath(const QString& path);

    pq_JobIF* job() const { return m_job; }
    pq_ImagePatchGridWidget* engine() const { return m_engine.get(); }
    const QStringList& shotList() const { return m_shotList; }
    int shotRotation(const QString& shot) const { return m_shotRotations.value(shot, -1); }

    void paint(QPainter* painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hoverMoveEvent(QHoverEvent* event) override;
    void hoverEnterEvent(QHoverEvent* event) override;
    void hoverLeaveEvent(QHoverEvent* event) override;

    // What the chart finder is given: called with the reduced image before
    // each search (tests record it).
    using FinderProbe = void (*)(const QImage& image);
    static void setFinderProbe(FinderProbe probe);

signals:
    void signalDeltaEChanged();
    void signalIsLastShotChanged();
    void signalIsFilmCurveMissingChanged();
    void signalErrorExtractFilmCurveChanged();
    void signalGreenDeltaChecked(bool checked);
    void signalYellowDeltaChecked(bool checked);
    void signalRedDeltaChecked(bool checked);
    void signalMouseReleased();
    void signalLoadingShotChanged();

public slots:
    void catchDeltaEThresholdsChanged() override;
    void catchProfileCreationAborted();
    void catchProfileCreationDone(const QString& path);
    void catchProfileCreationError(int code);
    void catchProfileCreationProgress(double fraction);

private slots:
    void catchImageLoaded(bool success, const QString& missingCurve);
    void catchC1TifLoaded(int code);
    void catchErrorExtractFilmCurve(int code);
    void catchFilmCurveRefused();
    void catchMouseReleased();
    void catchStatistics(double p10, double p50, double p90, bool passed, bool evaluated);
    void clearStatistics(const QString& reason);

protected:
    void updatePolish() override;
    void geometryChanged(const QRectF& newGeometry, const QRectF& oldGeometry) override;

private:
    void disconnectJob();
    bool searchRotation();
    const QPixmap* searchSource(QSize* reduced) const;
    // Runs the finder for the rotation's class unless cached; true when it
    // found the chart.
    bool findCorners(int rotation);
    std::vector<double> referenceLabs(int columns, int rows) const;
    bool makesDcp() const;
    void setLimitForShow(double t, double value);
    void reapplyDeltaFlags();
    int targetCount() const;
    void setProgressValue(const QVariant& value);
    void setLoadingShot(bool loading);

    QStringList m_shotList;
    QString m_shot;
    QString m_action;
    pq_JobIF* m_job = nullptr;
    std::unique_ptr<pq_ImagePatchGridWidget> m_engine;
    QMap<QString, int> m_shotRotations;
    QMap<int, QPolygonF> m_cornerCache;
    QSet<int> m_cornersFound;  // rotation classes whose cached corners the finder found
    bool m_greenDelta = true;
    bool m_yellowDelta = true;
    bool m_redDelta = true;
    std::unique_ptr<pq_DeltaEHistogram> m_statistics;
    QString m_deltaEStatistics;
    double m_medianDeltaE = 0;
    QString m_deltaEValue;
    QString m_deltaLabel;
    double m_qaSliderValue = 0.5;
    bool m_isLastShot = false;
    bool m_isFilmCurveMissing = false;
    bool m_loadingChosenShot = false;  // a shot chosen in the selector is loading
    int m_chosenShotLight = 0;
    QString m_errorExtractFilmCurve;
    QImage m_frame;
};
