#include "jobs/pq_targetIcon.h"

#include <QUrl>

QString pq_targetIconId(const QString &jobName, int index)
{
    // A "." may stay: the index follows the last one.
    return QString::fromLatin1(QUrl::toPercentEncoding(jobName))
           + QLatin1Char('.') + QString::number(index);
}

QString pq_targetIconUrl(const QString &jobName, int index)
{
    return QStringLiteral("image://targets/") + pq_targetIconId(jobName, index);
}

void pq_splitTargetIconId(const QString &id, QString *jobName, int *index)
{
    const int dot = id.lastIndexOf(QLatin1Char('.'));
    int number = 0;
    QString name = id;
    if (dot >= 0) {
        bool ok = false;
        number = id.mid(dot + 1).toInt(&ok, 10);
        if (!ok)
            number = 0;
        name = id.left(dot);
    }
    if (jobName)
        *jobName = QUrl::fromPercentEncoding(name.toUtf8());
    if (index)
        *index = number;
}
