// The address of a job's target picture, served by the QML image provider
// "targets": "image://targets/" + the percent-encoded job name + "." + the
// target index. The encoding keeps a "#", "?" or "%" in a name from cutting
// the id.
#pragma once

#include <QString>

// The provider's id for target index of the named job.
QString pq_targetIconId(const QString &jobName, int index);
// "image://targets/" + pq_targetIconId.
QString pq_targetIconUrl(const QString &jobName, int index);
// The job name (decoded) and target index of an id: split at its last ".";
// the index is 0 when there is no "." or the text after it is not a number.
void pq_splitTargetIconId(const QString &id, QString *jobName, int *index);
