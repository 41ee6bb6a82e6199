#include "UpdateReply.h"

#include "TextTemplate.h"
#include "UpdateService.h"

#include <QCoreApplication>
#include <QVersionNumber>
#include <QXmlStreamReader>

namespace UpdateReply {

namespace {

// Gathers the text of the first element of a given name, wherever it lies.
struct Field {
    Field(const QString& fieldName, QString* fieldTarget) : name(fieldName), target(fieldTarget) {}
    QString name;
    QString* target;
    bool found = false;
    int depth = -1;  // the depth of the element being read, -1 when none is
    QString text;
};

QString cutAtBlank(const QString& version)
{
    const int blank = version.indexOf(QLatin1Char(' '));
    return blank > 0 ? version.left(blank) : version;
}

// The leading dotted numbers of a version that begins with a digit; null otherwise.
QVersionNumber leadingNumbers(const QString& version)
{
    if (version.isEmpty() || !version.at(0).isDigit())
        return QVersionNumber();
    int suffix = 0;
    return QVersionNumber::fromString(version, &suffix);
}

QString translate(const char* key)
{
    return QCoreApplication::translate("UpdateDialog", key);
}

}  // namespace

ProductData parse(const QByteArray& body)
{
    ProductData data;
    QString result;
    Field fields[] = {{QStringLiteral("GetProductDataResult"), &result},
                      {QStringLiteral("ProDate"), &data.date},
                      {QStringLiteral("ProFilename"), &data.fileName},
                      {QStringLiteral("ProVersion"), &data.version}};
    QXmlStreamReader reader(body);
    int depth = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            for (Field& field : fields) {
                if (!field.found && field.depth < 0 && reader.qualifiedName() == field.name)
                    field.depth = depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            for (Field& field : fields) {
                if (field.depth == depth) {
                    field.depth = -1;
                    field.found = true;
                    *field.target = field.text;
                }
            }
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (reader.isWhitespace())
                break;
            for (Field& field : fields) {
                if (field.depth >= 0)
                    field.text += reader.text();
            }
            break;
        default:
            break;
        }
    }
    if (reader.hasError() || !fields[0].found)
        return ProductData();
    data.version = cutAtBlank(data.version);
    data.code = data.version.isEmpty() ? kNoResult : kRead;
    return data;
}

bool isNewer(const QString& installed, const QString& latest)
{
    const QVersionNumber installedNumbers = leadingNumbers(installed);
    const QVersionNumber latestNumbers = leadingNumbers(latest);
    if (!installedNumbers.isNull() && !latestNumbers.isNull()) {
        const int order = QVersionNumber::compare(installedNumbers, latestNumbers);
        if (order != 0)
            return order < 0;
    }
    return installed < latest;
}

QString resultText(int code, const QString& vendor, const QString& product, const QString& installed,
                   const ProductData& reply)
{
    switch (code) {
    case kRead:
        break;
    case kNoResult:
        return translate("rErrParse");
    case kTimedOut:
        return translate("rTimeout");
    default:
        return translate("rErrUnknown");
    }
    if (!isNewer(installed, reply.version)) {
        return fillPlaceholders(translate("%1 %2 is up-to-date."),
                                {vendor.toHtmlEscaped(), product.toHtmlEscaped()});
    }
    const QString link = UpdateService::downloadUrl(reply.fileName).toString(QUrl::FullyEncoded);
    const QString latest = reply.version.toHtmlEscaped();
    return fillPlaceholders(translate("A newer version of %1 %2<br>is available:<br>Installed version: %3<br>"
                                      "<b>Latest version: %5<br>"),
                            {vendor.toHtmlEscaped(), product.toHtmlEscaped(), installed.toHtmlEscaped(),
                             reply.fileName.toHtmlEscaped(), latest})
           + QStringLiteral("<a href=\"") + link.toHtmlEscaped() + QStringLiteral("\">")
           + fillPlaceholders(translate("Download version %5 now&hellip;"), {QString(), QString(), QString(), QString(), latest})
           + QStringLiteral("</a>");
}

}  // namespace UpdateReply
