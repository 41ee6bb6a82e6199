// Reading single elements of job and set files, and writing values into XML
// text so that a DOM reader returns them unchanged.
#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>

enum class pq_TagE { Found, Missing, Repeated };

// The text of the one descendant element of parent named tag (at any depth).
// When attribute is not null it names an attribute on entry and receives its
// value (empty when absent). A tag that is missing or repeated gives empty
// text and a debug message naming it.
pq_TagE pq_readTag(const QDomElement &parent, const QString &tag, QString *text,
                   QString *attribute = nullptr);
QString checkAndReadTagToText(const QDomElement &parent, const QString &tag,
                              QString *attribute = nullptr);
// "line N: element T is repeated", N the line of T's second occurrence.
QString pq_repeatedTagProblem(const QDomElement &parent, const QString &tag);
// pq_readTag that appends pq_repeatedTagProblem to problems (when not null)
// for a repeated tag; false then.
bool pq_readSingleTag(const QDomElement &parent, const QString &tag, QString *text,
                      QStringList *problems, QString *attribute = nullptr);

// The value with "&", "<" and ">" written as entity references and carriage
// returns as character references, so that element text reads back as it was.
// Control characters that XML cannot carry become U+FFFD.
QString pq_xmlEscaped(const QString &value);
