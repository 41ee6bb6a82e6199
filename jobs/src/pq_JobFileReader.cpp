#include "jobs/pq_JobFileReader.h"

#include "jobs_logging.h"

#include "chart/BoundedFile.h"

#include <QXmlStreamReader>

#include <cstring>
#include <utility>

namespace {

pq_JobReadOutcome failure(pq_JobReadOutcome::StatusE status, const QString &message)
{
    qCDebug(lcJobFile).noquote() << message;
    return {status, message, {}};
}

struct MarkupCheck
{
    const char *problem = nullptr;
    int line = 1;
};

// One pass over the bytes that finds how deep the elements nest (an upper
// bound: comments, processing instructions, CDATA sections and quoted
// attribute values are skipped) and whether there is a document type
// declaration.
MarkupCheck checkMarkup(const QByteArray &bytes)
{
    MarkupCheck check;
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    int depth = 0;
    auto skipPast = [&](const char *terminator) {
        const int length = int(qstrlen(terminator));
        for (; p + length <= end; ++p) {
            if (*p == '\n')
                ++check.line;
            if (memcmp(p, terminator, size_t(length)) == 0) {
                p += length;
                return;
            }
        }
        p = end;
    };
    auto startsWith = [&](const char *text) {
        const qsizetype length = qsizetype(qstrlen(text));
        return end - p >= length && memcmp(p, text, size_t(length)) == 0;
    };
    while (p < end) {
        const char c = *p;
        if (c == '\n')
            ++check.line;
        if (c != '<') {
            ++p;
            continue;
        }
        if (startsWith("<!--")) {
            p += 4;
            skipPast("-->");
        } else if (startsWith("<![CDATA[")) {
            p += 9;
            skipPast("]]>");
        } else if (startsWith("<?")) {
            p += 2;
            skipPast("?>");
        } else if (startsWith("<!")) {
            check.problem = "a job file has no document type declaration";
            return check;
        } else if (startsWith("</")) {
            p += 2;
            skipPast(">");
            --depth;
        } else {
            // A start tag: find its end outside quoted attribute values.
            ++p;
            char quote = 0;
            bool empty = false;
            for (; p < end; ++p) {
                if (*p == '\n')
                    ++check.line;
                if (quote) {
                    if (*p == quote)
                        quote = 0;
                } else if (*p == '"' || *p == '\'') {
                    quote = *p;
                } else if (*p == '>') {
                    empty = p[-1] == '/';
                    ++p;
                    break;
                }
            }
            if (!empty && ++depth > pq_JobFileReader::MaxDepth) {
                check.problem = "elements nest deeper than a job file does";
                return check;
            }
        }
    }
    return check;
}

}  // namespace

pq_JobReadOutcome pq_JobFileReader::readBytes(const QString &path, QByteArray *bytes)
{
    bytes->clear();
    chart::FileRead read = chart::readBoundedFile(path, MaxFileSize);
    switch (read.status) {
    case chart::FileReadE::Read:
        *bytes = std::move(read.bytes);
        return {pq_JobReadOutcome::ReadWhole, QString(), {}};
    case chart::FileReadE::TooLarge:
        return failure(pq_JobReadOutcome::NotParsed,
                       QStringLiteral("%1 %2, more than a job file holds").arg(path, read.why));
    default:
        return failure(pq_JobReadOutcome::CannotOpen, path + QLatin1Char(' ') + read.why);
    }
}

pq_JobFileReader::Parsed pq_JobFileReader::parse(const QByteArray &bytes, const QString &path)
{
    Parsed parsed;
    if (bytes.size() > MaxFileSize) {
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: more than a job file holds").arg(path));
        return parsed;
    }
    // The DOM parser recurses once per level and expands entities without
    // bound; job files have neither a document type nor deep nesting.
    const MarkupCheck markup = checkMarkup(bytes);
    if (markup.problem) {
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: line %2: %3")
                                     .arg(path)
                                     .arg(markup.line)
                                     .arg(QLatin1String(markup.problem)));
        return parsed;
    }
    QString error;
    int line = 0;
    int column = 0;
    QXmlStreamReader reader(bytes);
    if (!parsed.document.setContent(&reader, false, &error, &line, &column)) {
        parsed.document = QDomDocument();
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: line %2, column %3: %4")
                                     .arg(path)
                                     .arg(line)
                                     .arg(column)
                                     .arg(error));
        return parsed;
    }
    parsed.outcome = {pq_JobReadOutcome::ReadWhole, QString(), {}};
    return parsed;
}

pq_JobFileReader::Parsed pq_JobFileReader::readFile(const QString &path)
{
    QByteArray bytes;
    Parsed parsed;
    parsed.outcome = readBytes(path, &bytes);
    if (!parsed.outcome.isWhole())
        return parsed;
    return parse(bytes, path);
}
