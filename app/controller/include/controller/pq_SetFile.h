#pragma once
// Set files: a named set of expert settings kept in the sets folder.

#include <QByteArray>
#include <QString>

class pq_jobExpertSettings;
class pq_jobInfo;

// The text of a set file: the expert-settings block inside "<Set>". The job
// information stays out, so that applying a set never replaces it.
QString pq_setFileText(const pq_jobExpertSettings& expert);

// Reads a set file's bytes (path only names it in messages). On success the
// expert settings and, when the file carries one, the job information are
// replaced and the result is true. A file that does not parse, whose root is
// not "Set", or that holds a block twice or a block that does not read whole
// changes nothing; message says why.
bool pq_readSetFile(const QByteArray& bytes, const QString& path, pq_jobExpertSettings& expert,
                    pq_jobInfo& info, QString* message);

// Writes text as UTF-8 to path so that a reader sees the old file or the
// whole new one.
bool pq_writeTextFile(const QString& path, const QString& text, QString* message);
