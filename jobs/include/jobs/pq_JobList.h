// The job list: see pq_JobListIF. The job files are parsed in parallel; the
// jobs are made and filled on the calling thread.
#pragma once

#include "jobs/pq_JobListIF.h"

#include <QList>
#include <QStringList>

class pq_Job;

class pq_JobList : public pq_JobListIF
{
    Q_OBJECT

public:
    pq_JobList(const QString &jobsFolder, const QString &filmCurvesFolder,
               const QString &tempFolder);
    ~pq_JobList() override;

    int count() const override { return size(); }
    int size() const override { return m_jobs.size(); }
    pq_JobIF *jobById(const QString &id) override;
    const pq_JobIF *jobById(const QString &id) const override;
    pq_JobIF *jobAt(int index) override;
    const pq_JobIF *jobAt(int index) const override;
    QStringList jobIds() const override;
    QString jobName(const QString &id) const override;
    pq_targetSummary jobSummary(const QString &id) const override;
    QPixmap jobPixmap(const QString &id) const override;
    bool moveJob(int from, int to) override;
    void addJob(const QString &profileName, const QString &chartImagePath,
                const QString &auxImagePath) override;
    void addEmptyJob() override;
    void sortJobList(const QStringList &names) override;
    QStringList problems() const override { return m_problems; }

private:
    // The job files of the folder in name order, one per job name; every
    // other entry that looks like one is named in m_problems.
    QStringList jobFiles(const QString &jobsFolder);
    void noteReadProblems(const pq_Job &job);

    QString m_filmCurvesFolder;
    QString m_tempFolder;
    QList<pq_JobIF *> m_jobs;
    QStringList m_problems;
};
