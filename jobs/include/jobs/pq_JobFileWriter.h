// Writing a job to its file in the jobs folder.
#pragma once

#include <QString>

class pq_Job;

struct pq_JobSaveResult
{
    bool ok = false;
    QString path;     // the file written, or that would have been
    QString message;  // why nothing was written; empty on success
    // The file there does not read whole as a job and was kept; the job can
    // still be saved under another name.
    bool keptUnreadFile = false;
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
    // once the new one is complete. A file of the job's name whose ".xml" is
    // written in other letters is the job's file when no "name.xml" exists.
    static pq_JobSaveResult save(const pq_Job &job, const QString &jobsFolder);
    // The file in jobsFolder that holds the job of that name: "name.xml",
    // else the one file named so but for the case of ".xml", else
    // "name.xml" again.
    static QString jobFilePath(const QString &jobsFolder, const QString &name);
};
