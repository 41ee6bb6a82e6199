// Operations over a job's list of target descriptions and over lists of
// paths.
#pragma once

#include "jobs/pq_targetInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

using pq_targetInfoList = QList<pq_targetInfo *>;

// "<targets>" list for QML, the entry at currentIndex marked current.
QString targetsToQmlXml(const pq_targetInfoList &targets, int currentIndex);
// The "Targets" block of the job file, clones left out.
QString targetsToJobXml(const pq_targetInfoList &targets, bool full);
// Deletes every description and empties the list.
void deleteTargetInfos(pq_targetInfoList &targets);
// Deletes the clones, keeping the order of the others.
void deleteClones(pq_targetInfoList &targets);

// Index of the first equal entry, -1 when none.
int findStringInList(const QStringList &list, const QString &s);
// Removes the first equal entry; false when there was none.
bool removeStringFromList(QStringList &list, const QString &s);
// Index of the first description of that name, -1 when none.
int findTargetInList(const pq_targetInfoList &targets, const QString &name);
// Nothing when that very description is in the list; otherwise the first
// description of the same name is deleted and removed, and description is
// appended. The list takes ownership.
void replaceOrAppendTarget(pq_targetInfoList &targets, pq_targetInfo *description);
