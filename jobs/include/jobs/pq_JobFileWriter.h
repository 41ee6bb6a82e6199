// Writing a job to its file in the jobs folder.
#pragma once

#include <QString>

class pq_Job;

struct pq_JobSaveResult
{
    bool ok = false;
    QString path;     // the file written, or that would have been
    QString message;  // why nothing was written; empty on success
};

class pq_JobFileWriter
{
public:
    // True when name + ".xml" names a file inside its folder: not empty, not
    // "." or "..", no control character and none of / \\ | : * ? " < >. The
    // one check of job and set names; reason (when not null) says why not.
    static bool isValidJobName(const QString &name, QString *reason = nullptr);
    // Writes the job as its name + ".xml" into jobsFolder (made with its
    // parents when missing): the job text and one line end, as UTF-8. An
    // existing file is replaced only when it reads whole as a job, and only
    // once the new one is complete.
    static pq_JobSaveResult save(const pq_Job &job, const QString &jobsFolder);
};
