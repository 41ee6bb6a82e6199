#include "jobs/pq_targetInfoList.h"

QString targetsToQmlXml(const pq_targetInfoList &targets, int currentIndex)
{
    QString out = QStringLiteral("<targets>\n");
    for (int i = 0; i < targets.size(); ++i)
        out += targets.at(i)->toQmlXml(true, i == currentIndex, i, false);
    out += QLatin1String("</targets>\n");
    return out;
}

QString targetsToJobXml(const pq_targetInfoList &targets, bool full)
{
    QString out = QStringLiteral("\t<Targets>\n");
    for (const pq_targetInfo *target : targets)
        if (!target->isClone)
            out += target->makeExportXMLString(full);
    out += QLatin1String("\t</Targets>\n");
    return out;
}

void deleteTargetInfos(pq_targetInfoList &targets)
{
    qDeleteAll(targets);
    targets.clear();
}

void deleteClones(pq_targetInfoList &targets)
{
    for (auto it = targets.begin(); it != targets.end();) {
        if ((*it)->isClone) {
            delete *it;
            it = targets.erase(it);
        } else {
            ++it;
        }
    }
}

int findStringInList(const QStringList &list, const QString &s)
{
    return list.indexOf(s);
}

bool removeStringFromList(QStringList &list, const QString &s)
{
    const int i = list.indexOf(s);
    if (i < 0)
        return false;
    list.removeAt(i);
    return true;
}

int findTargetInList(const pq_targetInfoList &targets, const QString &name)
{
    for (int i = 0; i < targets.size(); ++i)
        if (targets.at(i)->name == name)
            return i;
    return -1;
}

void replaceOrAppendTarget(pq_targetInfoList &targets, pq_targetInfo *description)
{
    if (targets.contains(description))
        return;
    const int same = findTargetInList(targets, description->name);
    if (same >= 0)
        delete targets.takeAt(same);
    targets.append(description);
}
