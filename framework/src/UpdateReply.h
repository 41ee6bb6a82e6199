#pragma once
// Reading the update service's answer and the text the update dialog shows
// for it. Plain functions over bytes and texts, so that tests and the fuzz
// target reach them without a network.

#include <QByteArray>
#include <QString>

namespace UpdateReply {

// The result codes of a request.
enum Code {
    kRead = 0,       // the reply was read
    kNoResult = 2,   // no (readable) GetProductDataResult, or no version in it
    kTimedOut = 8,   // no whole answer within the time-out
    kNetwork = 9,    // any other network failure, an HTTP status other than 2xx
};

struct ProductData {
    int code = kNoResult;
    QString version;
    QString date;
    QString fileName;
};

// Reads a reply body with a streaming reader. A body that is not well-formed
// holds no GetProductDataResult. Each field is the text of the first element
// of its name anywhere (whitespace-only text counted as none); the version is
// cut before its first blank unless it begins with one. A reply without a
// version gives kNoResult.
ProductData parse(const QByteArray& body);

// Whether latest is a newer version than installed: the leading dotted
// numbers are compared as numbers; only where they are equal, or a version
// does not begin with a digit, the texts are compared code unit by code unit.
bool isNewer(const QString& installed, const QString& latest);

// The rich text the dialog shows for the result of a check; every value from
// the reply or the style file is HTML-escaped, and a newer version carries one
// link to its download.
QString resultText(int code, const QString& vendor, const QString& product, const QString& installed,
                   const ProductData& reply);

}  // namespace UpdateReply
