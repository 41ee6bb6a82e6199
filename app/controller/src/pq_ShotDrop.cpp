#include "controller/pq_ShotDrop.h"

#include "jobs/pq_targetInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

#include <cstring>

namespace {

bool startsWith(const QByteArray& head, const char* magic, int size, int at = 0)
{
    return head.size() >= at + size && std::memcmp(head.constData() + at, magic, size_t(size)) == 0;
}

// The same file however it was named: a URL or a path, through links.
QString identity(const QString& localPath)
{
    const QFileInfo info(localPath);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString localPathOf(const QString& shot)
{
    const QUrl url(shot);
    return url.isLocalFile() ? url.toLocalFile() : shot;
}

// A web address, or a path on its own (a drive letter is a one-letter scheme).
bool isUrl(const QUrl& url) { return url.isValid() && url.scheme().size() > 1; }

}  // namespace

bool pq_isChartImageFile(const QString& localPath)
{
    const QString suffix = QFileInfo(localPath).suffix().toLower();
    if (suffix == QLatin1String("icc") || suffix == QLatin1String("txt"))
        return true;
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(16);
    file.close();
    const bool known =
        startsWith(head, "II*\0", 4) || startsWith(head, "MM\0*", 4)      // TIFF, DNG, most raw formats
        || startsWith(head, "II+\0", 4) || startsWith(head, "MM\0+", 4)   // BigTIFF
        || startsWith(head, "IIRO", 4) || startsWith(head, "IIRS", 4)     // Olympus
        || startsWith(head, "MMOR", 4) || startsWith(head, "IIU\0", 4)    // Olympus, Panasonic
        || startsWith(head, "FUJIFILM", 8) || startsWith(head, "FOVb", 4) // Fujifilm, Sigma
        || startsWith(head, "\0MRM", 4)                                   // Minolta
        || startsWith(head, "II\x1a\0\0\0HEAPCCDR", 14)                   // Canon CRW
        || startsWith(head, "ftyp", 4, 4)                                 // Canon CR3
        || startsWith(head, "\xff\xd8\xff", 3)                            // JPEG
        || startsWith(head, "\x89PNG", 4);
    return known || !QImageReader::imageFormat(localPath).isEmpty();
}

QString pq_shotDropOutcomeKey(pq_ShotDropOutcome outcome)
{
    switch (outcome) {
    case pq_ShotDropOutcome::Added: return QStringLiteral("added");
    case pq_ShotDropOutcome::Further: return QStringLiteral("further");
    case pq_ShotDropOutcome::Again: return QStringLiteral("again");
    case pq_ShotDropOutcome::Twice: return QStringLiteral("twice");
    case pq_ShotDropOutcome::NotLocal: return QStringLiteral("notLocal");
    case pq_ShotDropOutcome::Folder: return QStringLiteral("folder");
    case pq_ShotDropOutcome::Missing: return QStringLiteral("missing");
    case pq_ShotDropOutcome::NotImage: return QStringLiteral("notImage");
    case pq_ShotDropOutcome::NoTarget: break;
    }
    return QStringLiteral("noTarget");
}

QVector<pq_ShotDropFile> pq_planShotDrop(const QVector<const pq_targetInfo*>& targets, int currentTarget,
                                         const QStringList& urls)
{
    QVector<pq_ShotDropFile> plan;
    QStringList seen;
    // Targets given a file by this drop, so that a waiting one is given one only.
    QVector<bool> given(targets.size(), false);
    int last = -1;
    for (const QString& dropped : urls) {
        pq_ShotDropFile file;
        file.url = dropped;
        const QUrl url(dropped);
        if (isUrl(url) && !url.isLocalFile()) {
            file.outcome = pq_ShotDropOutcome::NotLocal;
            plan.append(file);
            continue;
        }
        file.localPath = isUrl(url) ? url.toLocalFile() : dropped;
        const QFileInfo info(file.localPath);
        if (info.isDir())
            file.outcome = pq_ShotDropOutcome::Folder;
        else if (!info.isFile() || !info.isReadable())
            file.outcome = pq_ShotDropOutcome::Missing;
        else if (seen.contains(identity(file.localPath)))
            file.outcome = pq_ShotDropOutcome::Twice;
        else if (!pq_isChartImageFile(file.localPath))
            file.outcome = pq_ShotDropOutcome::NotImage;
        else
            file.outcome = pq_ShotDropOutcome::Added;
        if (file.outcome != pq_ShotDropOutcome::Added) {
            plan.append(file);
            continue;
        }
        seen.append(identity(file.localPath));

        int target = -1;
        if (last < 0) {
            if (currentTarget >= 0 && currentTarget < targets.size() && targets.at(currentTarget))
                target = currentTarget;
        } else {
            for (int i = last + 1; i < targets.size() && target < 0; ++i)
                if (targets.at(i) && targets.at(i)->shots.isEmpty() && !given.at(i))
                    target = i;
            if (target < 0)
                target = last;
        }
        if (target < 0) {
            file.outcome = pq_ShotDropOutcome::NoTarget;
            plan.append(file);
            continue;
        }
        file.target = target;
        bool already = false;
        for (const QString& shot : targets.at(target)->shots)
            already = already || identity(localPathOf(shot)) == identity(file.localPath);
        if (already)
            file.outcome = pq_ShotDropOutcome::Again;
        else if (given.at(target) || !targets.at(target)->shots.isEmpty())
            file.outcome = pq_ShotDropOutcome::Further;
        given[target] = true;
        last = target;
        plan.append(file);
    }
    return plan;
}
