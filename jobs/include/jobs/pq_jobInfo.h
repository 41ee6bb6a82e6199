// The job information: nine texts about who made the profile and for whom.
#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>

class pq_jobInfo
{
public:
    static constexpr int FieldCount = 9;

    // Fields that the element gives with text replace the stored ones. A
    // repeated field is left as it is, noted in problems; false then.
    bool readFromXml(const QDomElement &element, QStringList *problems = nullptr);
    // Sets the field of a display name ("CREATOR" ...); an unknown name
    // changes nothing.
    void setItem(const QString &displayName, const QString &value);
    QString item(int field) const;
    bool isEmpty() const;
    // The "<info>" list for QML.
    QString toQmlXml() const;
    // The "JobInfo" block of the job file; empty when every field is empty.
    QString toJobXml() const;

    // Element name, display name and QML index of field i.
    static QString elementName(int field);
    static QString displayName(int field);
    static int qmlIndex(int field);

private:
    QString m_fields[FieldCount];
};
