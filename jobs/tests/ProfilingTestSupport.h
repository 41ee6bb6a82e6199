// Shared pieces of the profiling tests: a temporary folder set up as the
// program's, the manager's signals and events recorded, and captured log
// messages.
#pragma once

#include "jobs/pq_ProfilingThreadMgr.h"

#include <QObject>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

class RawImage;
class TargetIF;
class pq_Job;
class pq_targetInfo;

namespace proftest {

// A temporary folder with tmppelto inside, made the program's temporary
// folder (Config::init), and the user's data folder (XDG_DATA_HOME).
class Folders
{
public:
    Folders();
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString tmp() const;
    // The names of the files left in the temporary folder.
    QStringList tmpFiles() const;
    // An empty temporary folder.
    void clearTmp() const;

private:
    QTemporaryDir m_dir;
};

// The manager's four signals and the custom events it receives.
class RunRecorder : public QObject
{
public:
    RunRecorder();
    ~RunRecorder() override;

    int endings() const { return done.count() + error.count() + aborted.count(); }
    // Waits for one ending, then lets late events arrive.
    bool waitForEnd(int timeoutMs = 60000);
    // Event types in the order the manager received them (1000 to 1003).
    QVector<int> events;
    QSignalSpy done;
    QSignalSpy error;
    QSignalSpy aborted;
    QSignalSpy progress;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Collects every message logged while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    QStringList messages() const;
};

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// A ColorChecker description (4 rows of 6) with the argyll reference file,
// which holds Lab values only.
pq_targetInfo *colorCheckerDescription(const QString &name = QStringLiteral("ColorChecker"));
// A description of 2 rows of 2 with spectral reference data (380-730 nm).
pq_targetInfo *spectralDescription(const QString &name = QStringLiteral("Spectral"));

// The chart of a loaded target as a linear camera would see it: 40-pixel
// cells from (10, 10), each in its reference colour (linear wide-gamut RGB
// of the patch's XYZ) times level, on a black background.
std::unique_ptr<RawImage> renderChart(const TargetIF &target, double level);
// Loads target index of the job and measures its patches through the job's
// patch grid on its rendered chart.
bool measureTarget(pq_Job &job, int index, double level = 1.0);

}  // namespace proftest
