#include "jobs/pq_JobFileReader.h"

#include "jobs_logging.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

pq_JobReadOutcome failure(pq_JobReadOutcome::StatusE status, const QString &message)
{
    qCDebug(lcJobFile).noquote() << message;
    return {status, message};
}

}  // namespace

pq_JobReadOutcome pq_JobFileReader::readBytes(const QString &path, QByteArray *bytes)
{
    bytes->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(pq_JobReadOutcome::CannotOpen,
                       QStringLiteral("%1: cannot be opened: %2").arg(path, file.errorString()));
    if (file.size() > MaxFileSize)
        return failure(pq_JobReadOutcome::NotParsed,
                       QStringLiteral("%1: %2 bytes, more than a job file holds (%3)")
                           .arg(path)
                           .arg(file.size())
                           .arg(MaxFileSize));
    *bytes = file.read(MaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes->size() > MaxFileSize)
        return failure(pq_JobReadOutcome::CannotOpen,
                       QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString()));
    return {pq_JobReadOutcome::ReadWhole, QString()};
}

pq_JobFileReader::Parsed pq_JobFileReader::parse(const QByteArray &bytes, const QString &path)
{
    Parsed parsed;
    if (bytes.size() > MaxFileSize) {
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: more than a job file holds").arg(path));
        return parsed;
    }
    // The DOM parser recurses once per level; measure the depth first.
    QXmlStreamReader stream(bytes);
    int depth = 0;
    while (!stream.atEnd()) {
        const QXmlStreamReader::TokenType token = stream.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > MaxDepth) {
            parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                     QStringLiteral("%1: line %2, column %3: elements nest "
                                                    "more than %4 deep")
                                         .arg(path)
                                         .arg(stream.lineNumber())
                                         .arg(stream.columnNumber())
                                         .arg(MaxDepth));
            return parsed;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (stream.hasError()) {
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: line %2, column %3: %4")
                                     .arg(path)
                                     .arg(stream.lineNumber())
                                     .arg(stream.columnNumber())
                                     .arg(stream.errorString()));
        return parsed;
    }
    QString error;
    int line = 0;
    int column = 0;
    if (!parsed.document.setContent(bytes, &error, &line, &column)) {
        parsed.document = QDomDocument();
        parsed.outcome = failure(pq_JobReadOutcome::NotParsed,
                                 QStringLiteral("%1: line %2, column %3: %4")
                                     .arg(path)
                                     .arg(line)
                                     .arg(column)
                                     .arg(error));
        return parsed;
    }
    parsed.outcome = {pq_JobReadOutcome::ReadWhole, QString()};
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
