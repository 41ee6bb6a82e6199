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
    // Writes a job of that name with one colour target (no spectral data).
    void writeJob(const QString& name, bool initiallyDisabled = false) const;
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

    void setJobByName(const QString& name) override { calls << "setJobByName:" + name; }
    int shotIndex() const override { return 0; }
    void resetShotState(bool keep) override { calls << QString("resetShotState:%1").arg(keep); }
    void selectShot(const QString& shot, const QString&) override { calls << "selectShot:" + shot; }
    void setShot(const QString& url) override { calls << "setShot:" + url; }
    void applyImageProfile() override { calls << "applyImageProfile"; }
    void measureQuality(const QString& path) override { calls << "measureQuality:" + path; }
    void setC1TifPath(const QString& path) override { calls << "setC1TifPath:" + path; }
    void setGridMovable(bool) override { calls << "setGridMovable"; }
    void setLightnessControlVisible(bool) override { calls << "setLightnessControlVisible"; }
    QImage sampleImage(const QPoint&, const QSize&) override { return QImage(); }
    QVector<double> averageColor(const QPoint&, int) override { return {}; }
    void catchDeltaEThresholdsChanged() override { calls << "catchDeltaEThresholdsChanged"; }
    void setImage(const QImage&, const QVector<double>&) override { calls << "setImage"; }
};
