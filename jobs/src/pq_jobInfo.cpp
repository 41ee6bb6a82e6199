#include "jobs/pq_jobInfo.h"

#include "jobs/pq_xmlText.h"

namespace {

struct Field
{
    const char *element;
    const char *display;
};

const Field kFields[pq_jobInfo::FieldCount] = {
    {"InfoCreator", "CREATOR"},          {"InfoJobTitle", "CREATOR'S JOB TITLE"},
    {"InfoCompany", "COMPANY"},          {"InfoAddress", "ADDRESS"},
    {"InfoPostalCode", "POSTAL CODE"},   {"InfoCity", "CITY"},
    {"InfoEmail", "MAIL ADDRESS"},       {"InfoWebsite", "WEBSITE"},
    {"InfoCopyright", "COPYRIGHT"},
};

}  // namespace

QString pq_jobInfo::elementName(int field)
{
    return field >= 0 && field < FieldCount ? QLatin1String(kFields[field].element) : QString();
}

QString pq_jobInfo::displayName(int field)
{
    return field >= 0 && field < FieldCount ? QLatin1String(kFields[field].display) : QString();
}

int pq_jobInfo::qmlIndex(int field)
{
    return FieldCount - 1 - field;
}

bool pq_jobInfo::readFromXml(const QDomElement &element, QStringList *problems)
{
    bool whole = true;
    for (int i = 0; i < FieldCount; ++i) {
        QString text;
        whole = pq_readSingleTag(element, elementName(i), &text, problems) && whole;
        if (!text.isEmpty())
            m_fields[i] = text;
    }
    return whole;
}

void pq_jobInfo::setItem(const QString &name, const QString &value)
{
    for (int i = 0; i < FieldCount; ++i) {
        if (name == QLatin1String(kFields[i].display)) {
            m_fields[i] = value;
            return;
        }
    }
}

QString pq_jobInfo::item(int field) const
{
    return field >= 0 && field < FieldCount ? m_fields[field] : QString();
}

bool pq_jobInfo::isEmpty() const
{
    for (const QString &field : m_fields)
        if (!field.isEmpty())
            return false;
    return true;
}

QString pq_jobInfo::toQmlXml() const
{
    QString out = QStringLiteral("<info>\n");
    for (int i = 0; i < FieldCount; ++i)
        out += QLatin1String("<item><index>") + QString::number(qmlIndex(i))
            + QLatin1String("</index><name>") + pq_xmlEscaped(displayName(i))
            + QLatin1String("</name><value>") + pq_xmlEscaped(m_fields[i])
            + QLatin1String("</value></item>\n");
    out += QLatin1String("</info>\n");
    return out;
}

QString pq_jobInfo::toJobXml() const
{
    if (isEmpty())
        return QString();
    QString out = QStringLiteral("\t<JobInfo>\n");
    for (int i = 0; i < FieldCount; ++i) {
        const QString tag = elementName(i);
        out += QLatin1String("\t\t<") + tag + QLatin1Char('>') + pq_xmlEscaped(m_fields[i])
            + QLatin1String("</") + tag + QLatin1String(">\n");
    }
    out += QLatin1String("\t</JobInfo>\n");
    return out;
}
