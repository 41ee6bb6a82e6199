#include "colour/Kirr_XmlSettings.h"

#include <QIODevice>
#include <QLocale>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

constexpr int kMaxDepth = 64;

const QString kRoot = QStringLiteral("settings");
const QString kGroup = QStringLiteral("group");
const QString kValue = QStringLiteral("value");
const QString kItem = QStringLiteral("item");
const QString kName = QStringLiteral("name");
const QString kType = QStringLiteral("type");
const QString kList = QStringLiteral("list");
const QString kVersion = QStringLiteral("version");

bool valid_name(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

// Characters that XML 1.0 can carry and that read back unchanged.
bool xml_safe(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const ushort c = text.at(i).unicode();
        if (c < 0x20 && c != 0x09 && c != 0x0A)
            return false;  // includes CR, which readers turn into LF
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

bool scalar_text(const QVariant &value, QString *text)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
        *text = QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        return true;
    case QMetaType::Float:
        *text = QString::number(value.toFloat(), 'g', QLocale::FloatingPointShortest);
        return true;
    case QMetaType::QStringList:
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return false;
    default:
        break;
    }
    if (!value.isValid() || !value.canConvert<QString>())
        return false;
    *text = value.toString();
    return true;
}

bool list_texts(const QVariant &value, QStringList *texts)
{
    if (value.type() == QVariant::StringList) {
        *texts = value.toStringList();
        return true;
    }
    for (const QVariant &item : value.toList()) {
        QString text;
        if (!scalar_text(item, &text))
            return false;
        texts->append(text);
    }
    return true;
}

// Reads the items of a list value; the reader stands on its start element.
bool read_list(QXmlStreamReader &reader, QStringList *items)
{
    while (reader.readNextStartElement()) {
        if (reader.name() != kItem || !reader.attributes().isEmpty())
            return false;
        items->append(reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement));
        if (reader.hasError())
            return false;
    }
    return !reader.hasError();
}

bool read_document(QXmlStreamReader &reader, QSettings::SettingsMap &map)
{
    QStringList groups;
    bool inRoot = false, rootDone = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::Characters:
            if (!reader.isWhitespace())
                return false;
            break;
        case QXmlStreamReader::StartElement: {
            const QXmlStreamAttributes attributes = reader.attributes();
            if (!inRoot) {
                if (rootDone || reader.name() != kRoot)
                    return false;
                if (attributes.hasAttribute(kVersion) &&
                    attributes.value(kVersion) != QLatin1String("1"))
                    return false;
                inRoot = true;
                break;
            }
            const QString name = attributes.value(kName).toString();
            if (!valid_name(name))
                return false;
            if (reader.name() == kGroup) {
                if (groups.size() >= kMaxDepth)
                    return false;
                groups.append(name);
                break;
            }
            if (reader.name() != kValue)
                return false;
            const QString key = (groups + QStringList{name}).join(QLatin1Char('/'));
            if (map.contains(key))
                return false;
            const QStringRef type = attributes.value(kType);
            if (type.isEmpty()) {
                const QString text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                if (reader.hasError())
                    return false;
                map.insert(key, text);
            } else if (type == kList) {
                QStringList items;
                if (!read_list(reader, &items))
                    return false;
                map.insert(key, items);
            } else {
                return false;
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!groups.isEmpty()) {
                groups.removeLast();
            } else {
                inRoot = false;
                rootDone = true;
            }
            break;
        default:  // document type declarations, unresolved entities
            return false;
        }
    }
    return !reader.hasError() && rootDone;
}

}  // namespace

bool Kirr_readXmlSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    map.clear();
    QXmlStreamReader reader(&device);
    QSettings::SettingsMap read;
    if (!read_document(reader, read))
        return false;
    map.swap(read);
    return true;
}

bool Kirr_writeXmlSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    // Keys that share a group are neighbours in the sorted map, so groups can
    // be opened and closed while walking it.
    QXmlStreamWriter writer(&device);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeStartElement(kRoot);
    writer.writeAttribute(kVersion, QStringLiteral("1"));
    QStringList open;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        QStringList parts = it.key().split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return false;
        for (const QString &part : parts)
            if (part.contains(QLatin1Char('\\')) || !xml_safe(part))
                return false;
        const QString name = parts.takeLast();
        int shared = 0;
        while (shared < open.size() && shared < parts.size() && open[shared] == parts[shared])
            ++shared;
        while (open.size() > shared) {
            writer.writeEndElement();
            open.removeLast();
        }
        for (int i = shared; i < parts.size(); ++i) {
            writer.writeStartElement(kGroup);
            writer.writeAttribute(kName, parts[i]);
            open.append(parts[i]);
        }
        QString text;
        QStringList items;
        const bool isList = it.value().type() == QVariant::StringList ||
                            it.value().type() == QVariant::List;
        if (isList ? !list_texts(it.value(), &items) : !scalar_text(it.value(), &text))
            return false;
        writer.writeStartElement(kValue);
        writer.writeAttribute(kName, name);
        if (isList) {
            writer.writeAttribute(kType, kList);
            for (const QString &item : items) {
                if (!xml_safe(item))
                    return false;
                writer.writeTextElement(kItem, item);
            }
        } else {
            if (!xml_safe(text))
                return false;
            writer.writeCharacters(text);
        }
        writer.writeEndElement();
    }
    writer.writeEndDocument();
    return !writer.hasError();
}

QSettings::Format Kirr_xmlSettingsFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("xml"), Kirr_readXmlSettings, Kirr_writeXmlSettings, Qt::CaseSensitive);
    return format;
}
