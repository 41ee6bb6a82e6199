// The user's jobs: one job per job file, in an order the user chooses.
#pragma once

#include "jobs/pq_JobIF.h"

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>

class pq_JobListIF : public QObject
{
    Q_OBJECT

public:
    ~pq_JobListIF() override = default;

    virtual int count() const = 0;
    virtual int size() const = 0;
    virtual pq_JobIF *jobById(const QString &id) = 0;
    virtual const pq_JobIF *jobById(const QString &id) const = 0;
    virtual pq_JobIF *jobAt(int index) = 0;
    virtual const pq_JobIF *jobAt(int index) const = 0;
    virtual QStringList jobIds() const = 0;
    virtual QString jobName(const QString &id) const = 0;
    virtual pq_targetSummary jobSummary(const QString &id) const = 0;
    virtual QPixmap jobPixmap(const QString &id) const = 0;
    virtual bool moveJob(int from, int to) = 0;
    virtual void addJob(const QString &profileName, const QString &chartImagePath,
                        const QString &auxImagePath) = 0;
    virtual void addEmptyJob() = 0;
    virtual void sortJobList(const QStringList &names) = 0;
    // What the user should hear of the jobs folder, in words, one entry per
    // file: files that look like jobs and were not read (pipes, links out of
    // the folder, files too large...), job files that do not read whole and
    // files a job names that it did not take.
    virtual QStringList problems() const { return QStringList(); }

    // A new list of the jobs in jobsFolder; the caller owns it.
    static pq_JobListIF *create(const QString &jobsFolder, const QString &filmCurvesFolder,
                                const QString &tempFolder);

signals:
    void signalStatusPrepare(int);
};
