#include "jobs/pq_engineFiles.h"

QString pq_engineFileBase(const QString &profileFileName)
{
    QString base = profileFileName.mid(profileFileName.lastIndexOf(QLatin1Char('/')) + 1);
    base.remove(QLatin1String(".dcp"));
    base.remove(QLatin1String(".icc"));
    base.remove(QLatin1String(".icm"));
    return base;
}

bool pq_isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
        && !name.contains(QChar(0));
}
