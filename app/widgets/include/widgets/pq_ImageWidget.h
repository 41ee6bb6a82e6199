// The colour-managed picture engine behind the chart image: the chart image of
// a job as display pixmap, optional prettier pixmap and pixel data, rotated in
// steps of 90 degrees and scaled, converted from the image's profile to the
// monitor profile, panned with the mouse and sampled for the colour picker.
#pragma once

#include "widgets/QckWidget.h"

#include <QColor>
#include <QImage>
#include <QMutex>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QVector>

class Kirr_BezierLut;
class Kirr_ColorMatchIF;
class Kirr_ColorProfileIF;
class Kirr_Spline1;
class QPixmap;
class RawImageIF;
class pq_JobIF;

// The grey of the background and of the empty corners of rotated images.
extern const QColor pq_backgroundGrey;

class pq_ImageWidget : public QckWidget
{
    Q_OBJECT

public:
    explicit pq_ImageWidget(QQuickItem *parent = nullptr);
    ~pq_ImageWidget() override;

    // Input as the owning item forwards it.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paint(QPainter *painter) override;

    virtual void markForUpdate();
    virtual void paintOverlay(QPainter *painter, bool fitted);

    QString defaultRGBProfilePath() const;
    const Kirr_ColorProfileIF *imageProfile() const;
    Kirr_ColorMatchIF *monitorMatch() const;
    double scaleFactor() const;
    int rotationAngle() const;
    QSize pixmapSize() const;
    // The three white-balance factors, or null unless exactly three are held.
    const double *imageRGBFactorData() const;
    QPointF imageToItem(double x, double y) const;
    double imageToItemX(double x) const;
    double imageToItemY(double y) const;
    QPoint imageOffset() const;
    void setChannelFactor(int index, double value);
    void clearChannelFactors();
    const double *displayChannelFactors() const;
    void setDisplayGain(double gain);
    double displayGain() const;
    void resetDisplayGain();
    QTransform displayTransform(bool withC1Scale) const;
    QImage convertForDisplay(Kirr_ColorMatchIF *match, const double *factors,
                             const Kirr_BezierLut *lut, const Kirr_Spline1 *spline, double gamma,
                             double gain);
    QImage sampleImage(QPoint centre, QSize size);
    QVector<double> averageColor(QPoint itemPoint, int radius);
    int isQuickProfileNeeded() const;
    double bestQuickProfileError() const;
    // The shown picture's source images (for tests and the magnifier).
    QImage displayImage() const;
    const RawImageIF *displayPixelData() const;
    pq_JobIF *job() const;
    bool isImageMovable() const;

signals:
    void signalFileDropped(QString path);

public slots:
    void setDefaultRGBProfilePath(QString path);
    void setImageMovable(bool movable);
    virtual void clearImageProfile();
    virtual void setImageProfile(Kirr_ColorProfileIF *imageProfile);
    virtual void setJob(pq_JobIF *job);
    virtual void setPixmap(const QPixmap *pixmap, const RawImageIF *rawChartImage = nullptr,
                           const QPixmap *prettyPixmap = nullptr);
    void setRotateCCW();
    void setRotateCW();
    void setRotationAngle(int newAngle);
    void setIncZoom();
    void setDecZoom();
    void setScaleFactor(double newScaleFactor);
    virtual void setImageRGBFactor(QVector<double> imageRGBFactor);
    virtual void setTemperature(double temperature);

protected:
    bool applyScaleFactor(double s, bool keepCentre);
    double fitScaleFactor();
    void rebuildDisplayImages();
    void quickProfileReset();
    void profileCachesReset();
    // The display channel factors and gain that the job's images call for.
    void displayCorrection(const double *&factors, double &gain) const;
    // The picture paintOverlay shows, with its caches built.
    QImage shownPicture(bool withCorrection);

    pq_JobIF *m_job = nullptr;
    bool m_imageMovable = false;
    bool m_fitPending = false;
    bool m_dragging = false;
    int m_rotationAngle = 0;
    double m_scaleFactor = 1.0;
    mutable QMutex m_mutex;
    RawImageIF *m_pixelData = nullptr;
    RawImageIF *m_displayPixelData = nullptr;
    QPixmap *m_pixmap = nullptr;
    QPixmap *m_prettyPixmap = nullptr;
    QImage m_displayImage;
    QImage m_prettyDisplayImage;
    QImage m_monitorImage;
    QImage m_defaultRGBImage;
    QPoint m_imageOffset{0, 0};
    QPoint m_lastMousePosition{0, 0};
    QString m_defaultRGBProfilePath;
    Kirr_ColorProfileIF *m_imageProfile = nullptr;
    QVector<double> m_imageRGBFactors;
    Kirr_ColorMatchIF *m_defaultRGBMatch = nullptr;
    Kirr_ColorMatchIF *m_monitorMatch = nullptr;
    double m_displayChannelFactors[3] = {0, 0, 0};
    double m_displayGain = 1.0;
    QImage m_quickDefaultRGBImage;
    QImage m_quickMonitorImage;
    Kirr_ColorMatchIF *m_quickDefaultRGBMatch = nullptr;
    Kirr_ColorMatchIF *m_quickMonitorMatch = nullptr;
    int m_quickProfileNeeded = 0;
    double m_bestQuickProfileError = 10.0;
};
