// Reading job files: the bytes of a file, guarded against files no job
// makes, into a DOM document.
#pragma once

#include "jobs/pq_JobIF.h"

#include "chart/BoundedFile.h"

#include <QByteArray>
#include <QDomDocument>
#include <QString>

class pq_JobFileReader
{
public:
    // Far above any real job (a job with a few embedded pictures is well
    // under a megabyte).
    static constexpr qint64 MaxFileSize = chart::kMaxTextFileSize;
    // Job files nest five levels deep.
    static constexpr int MaxDepth = 64;

    struct Parsed
    {
        pq_JobReadOutcome outcome;  // ReadWhole when the document parsed
        QDomDocument document;
    };

    // Reads the file's bytes (never blocking on a pipe or device); CannotOpen
    // or NotParsed (too large) otherwise, with the path and why in words.
    static pq_JobReadOutcome readBytes(const QString &path, QByteArray *bytes);
    // Parses the bytes of the file at path (the path only names it in
    // messages). A document that is empty, too deep or not well-formed gives
    // NotParsed with the line, column and error, and an empty document.
    static Parsed parse(const QByteArray &bytes, const QString &path);
    // Both steps.
    static Parsed readFile(const QString &path);
};
