#pragma once
// Where the files of one drop on a job go. The first goes to the current
// target, each next one to the next target (in the job's order) that has no
// shot yet, and any further ones become further shots of the last target
// given one. A file that is no local chart image is refused with its reason.

#include <QString>
#include <QStringList>
#include <QVector>

class pq_targetInfo;

enum class pq_ShotDropOutcome {
    Added,     // a target's first shot
    Further,   // a further shot of a target that has one
    Again,     // already a shot of that target: chosen again, not added twice
    Twice,     // the same file earlier in the same drop
    NotLocal,  // a web address or another non-local URL
    Folder,
    Missing,   // no such file, or it cannot be read
    NotImage,
    NoTarget,  // the job has no target waiting for the file
};

struct pq_ShotDropFile {
    QString url;  // as dropped; a shot is stored as given
    QString localPath;
    int target = -1;  // the target it goes to; -1 when refused
    pq_ShotDropOutcome outcome = pq_ShotDropOutcome::NoTarget;

    bool isTaken() const { return target >= 0; }
};

// The plan for the urls dropped on a job with these targets (a null entry is
// a target without a description) while currentTarget is current. Reads the
// files' first bytes; changes nothing.
QVector<pq_ShotDropFile> pq_planShotDrop(const QVector<const pq_targetInfo*>& targets, int currentTarget,
                                         const QStringList& urls);

// The key the QML screens and tests read ("added", "further", "again",
// "twice", "notLocal", "folder", "missing", "notImage", "noTarget").
QString pq_shotDropOutcomeKey(pq_ShotDropOutcome outcome);

// True when the file's first bytes are those of an image the chart loader
// reads (TIFF and the TIFF-based raw formats, the other raw formats LibRaw
// opens, JPEG, PNG and the formats Qt reads) or it is a target text the
// loader draws a chart from (".icc", ".txt").
bool pq_isChartImageFile(const QString& localPath);
