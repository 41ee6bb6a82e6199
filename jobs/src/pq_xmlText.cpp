#include "jobs/pq_xmlText.h"

#include "jobs_logging.h"

#include <QDomNodeList>

#include <algorithm>

pq_TagE pq_readTag(const QDomElement &parent, const QString &tag, QString *text,
                   QString *attribute)
{
    const QDomNodeList found = parent.elementsByTagName(tag);
    const char *problem = nullptr;
    pq_TagE status = pq_TagE::Found;
    if (found.isEmpty()) {
        problem = "not defined";
        status = pq_TagE::Missing;
    } else if (found.size() > 1 && found.at(0).isElement()) {
        problem = "defined multiple times";
        status = pq_TagE::Repeated;
    } else if (!found.at(0).isElement()) {
        problem = "not containing an element";
        status = pq_TagE::Missing;
    }
    if (problem) {
        qCDebug(lcJobFile) << "pq_Job::checkAndReadTagToText" << tag << "tag is" << problem
                           << "ERROR";
        text->clear();
        if (attribute)
            attribute->clear();
        return status;
    }
    const QDomElement element = found.at(0).toElement();
    if (attribute)
        *attribute = element.attribute(*attribute);
    *text = element.text();
    return status;
}

QString checkAndReadTagToText(const QDomElement &parent, const QString &tag, QString *attribute)
{
    QString text;
    pq_readTag(parent, tag, &text, attribute);
    return text;
}

QString pq_repeatedTagProblem(const QDomElement &parent, const QString &tag)
{
    const QDomNodeList found = parent.elementsByTagName(tag);
    const int line = found.size() > 1 ? found.at(1).lineNumber() : parent.lineNumber();
    return QStringLiteral("line %1: element %2 is repeated").arg(line).arg(tag);
}

bool pq_readSingleTag(const QDomElement &parent, const QString &tag, QString *text,
                      QStringList *problems, QString *attribute)
{
    if (pq_readTag(parent, tag, text, attribute) != pq_TagE::Repeated)
        return true;
    if (problems)
        problems->append(pq_repeatedTagProblem(parent, tag));
    return false;
}

namespace {

// Characters XML 1.0 cannot carry at all, not even as references.
bool isForbidden(char16_t c)
{
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0xFFFE || c == 0xFFFF;
}

bool needsEscape(char16_t c)
{
    return c == '&' || c == '<' || c == '>' || c == '\r' || isForbidden(c);
}

}  // namespace

QString pq_xmlEscaped(const QString &value)
{
    if (std::none_of(value.begin(), value.end(), [](QChar c) { return needsEscape(c.unicode()); }))
        return value;
    QString out;
    out.reserve(value.size() + value.size() / 8);
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '\r': out += QLatin1String("&#13;"); break;
        default: out += isForbidden(c.unicode()) ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return out;
}
