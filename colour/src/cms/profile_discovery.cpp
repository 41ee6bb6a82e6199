#include "colour/Kirr_ColorProfile_Win.h"
#include "colour/Kirr_colorLibrary.h"
#include "platform/cms.h"
#include "platform/cms_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace {

// Profiles below a folder, depth first: each sub-folder's before the
// folder's own files. Folders already seen (links) are not entered again.
void gather(const QString &folder, QSet<QString> *seenFolders, QStringList *out)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || seenFolders->contains(canonical))
        return;
    seenFolders->insert(canonical);
    QDir dir(folder);
    for (const QFileInfo &sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        gather(sub.absoluteFilePath(), seenFolders, out);
    for (const QFileInfo &file :
         dir.entryInfoList({QStringLiteral("*.icc"), QStringLiteral("*.icm")}, QDir::Files,
                           QDir::Name))
        out->append(file.absoluteFilePath());
}

}  // namespace

QList<QPair<QString, QString>> Kirr_listScannerProfiles(const QSet<quint32> &colorSpaces)
{
    QSet<quint32> spaces;
    for (quint32 cs : colorSpaces)
        spaces.insert(Kirr_normalizeColorSpace(cs));
    const quint32 wantedClass = Kirr_sig("scnr");

    QStringList candidates;
    QSet<QString> seenFolders;
    for (const std::string &folder : platform::colour_search_folders())
        gather(QFile::decodeName(QByteArray::fromStdString(folder)), &seenFolders, &candidates);

    QList<QPair<QString, QString>> result;
    QSet<QString> seenFiles;
    for (const QString &path : candidates) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (seenFiles.contains(canonical))
            continue;
        seenFiles.insert(canonical);
        // Only the header decides; the profile is read for reading only.
        Kirr_ColorProfile_Win profile(path);
        const platform::cms::Profile *h = profile.handle();
        if (!h)
            continue;
        if (h->header().device_class != wantedClass)
            continue;
        if (!spaces.isEmpty() && !spaces.contains(h->header().colour_space))
            continue;
        QString name = profile.isValid() ? profile.description() : QString();
        if (name.isEmpty())
            name = QFileInfo(path).baseName();
        // Before the first entry whose name is not less: equal names end in
        // the reverse order of discovery.
        int at = 0;
        while (at < result.size() && result.at(at).first < name)
            ++at;
        result.insert(at, qMakePair(name, path));
    }
    return result;
}

QMap<QString, QString> Kirr_listCameraProfiles()
{
    QMap<QString, QString> result;
    const QString folder = Kirr_cameraProfileFolder();
    if (folder.isEmpty())
        return result;
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.dcp")});
    dir.setFilter(QDir::Files);
    for (const QFileInfo &file : dir.entryInfoList()) {
        // The factories take only a lower-case ending as a camera profile.
        if (!file.fileName().endsWith(QLatin1String(".dcp"), Qt::CaseSensitive))
            continue;
        result.insert(file.completeBaseName(), file.absoluteFilePath());
    }
    return result;
}
