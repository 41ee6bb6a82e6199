#pragma once
// A scratch home for every test case and a recording stand-in for the image
// item and the magnifier.

#include "controller/pq_ImageItemIF.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class peltoQt;
class pq_targetInfo;

// HOME, the XDG folders and TMPDIR inside one temporary folder; the settings
// singleton goes with it.
class ScratchHome {
public:
    ScratchHome();
    ~ScratchHome();
    QString path() const { return m_dir.path(); }
    QString jobsFolder() const;
    QString setsFolder() const;
    // Writes a job of that name with one colour target (no spectral data),
    // or with that many ("ColorChecker", "Target 2", "Target 3"...).
    void writeJob(const QString& name, bool initiallyDisabled = false, int targets = 1) const;
    // A "Shots" folder of files to drop: "a.tif", "b.dng", "c.jpg" and
    // "d.tif" (their formats' first bytes), "notes.pdf" (no image) and the
    // folder "Folder"; returns the folder's path.
    QString writeShots() const;
    static pq_targetInfo* colourTarget();
    void writeSet(const QString& name, const QByteArray& bytes) const;

private:
    static void removeSettingsStore();

    QTemporaryDir m_dir;
};

class RecordingImageItem : public QObject, public pq_ImageItemIF, public pq_MagnifierIF {
    Q_OBJECT

public:
    QStringList calls;
    // What sampleImage and averageColor give.
    QImage sample;
    QVector<double> colour;

    void setJobByName(const QString& name) override { calls << "setJobByName:" + name; }
    int shotIndex() const override { return 0; }
    void resetShotState(bool keep) override { calls << QString("resetShotState:%1").arg(keep); }
    void selectShot(const QString& shot, const QString& mode) override
    {
        calls << "selectShot:" + shot + ":" + mode;
    }
    void setShot(const QString& url) override { calls << "setShot:" + url; }
    void applyImageProfile() override { calls << "applyImageProfile"; }
    void measureQuality(const QString& path) override { calls << "measureQuality:" + path; }
    void setC1TifPath(const QString& path) override { calls << "setC1TifPath:" + path; }
    void setGridMovable(bool on) override { calls << QString("setGridMovable:%1").arg(on); }
    void setLightnessControlVisible(bool on) override
    {
        calls << QString("setLightnessControlVisible:%1").arg(on);
    }
    QImage sampleImage(const QPoint& centre, const QSize& size) override
    {
        calls << QString("sampleImage:%1,%2:%3x%4").arg(centre.x()).arg(centre.y()).arg(size.width()).arg(size.height());
        return sample;
    }
    QVector<double> averageColor(const QPoint&, int radius) override
    {
        calls << QString("averageColor:%1").arg(radius);
        return colour;
    }
    void catchDeltaEThresholdsChanged() override { calls << "catchDeltaEThresholdsChanged"; }
    void setImage(const QImage&, const QVector<double>&) override { calls << "setImage"; }
};
