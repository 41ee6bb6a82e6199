#pragma once
// What the controller asks of the chart image item and of the colour-picker
// magnifier. The QML items implement these; tests use recording stand-ins.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

class pq_ImageItemIF {
public:
    virtual ~pq_ImageItemIF() = default;

    // Binds the item to the job of that name; an empty name leaves it
    // without a job.
    virtual void setJobByName(const QString& name) = 0;
    // Position of the current shot in the item's shot list, 0 when none.
    virtual int shotIndex() const = 0;
    virtual void resetShotState(bool keepRotations) = 0;
    virtual void selectShot(const QString& shot, const QString& lightSource) = 0;
    virtual void setShot(const QString& url) = 0;
    virtual void applyImageProfile() = 0;
    virtual void measureQuality(const QString& profilePath) = 0;
    virtual void setC1TifPath(const QString& path) = 0;
    virtual void setGridMovable(bool movable) = 0;
    virtual void setLightnessControlVisible(bool visible) = 0;
    virtual QImage sampleImage(const QPoint& centre, const QSize& size) = 0;
    virtual QVector<double> averageColor(const QPoint& point, int radius) = 0;
    virtual void catchDeltaEThresholdsChanged() = 0;
};

class pq_MagnifierIF {
public:
    virtual ~pq_MagnifierIF() = default;

    virtual void setImage(const QImage& sample, const QVector<double>& colour) = 0;
};
