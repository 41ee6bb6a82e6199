#include "jobs/pq_templatesFolder.h"

#include "platform/program_folders.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QUrl>

namespace {

QMutex folderMutex;
bool folderKnown = false;
QString folder;

}  // namespace

QString pq_templatesFolder()
{
    QMutexLocker lock(&folderMutex);
    if (!folderKnown) {
        folder = platform::templatesFolderPath();
        folderKnown = true;
    }
    return folder;
}

void pq_setTemplatesFolder(const QString &newFolder)
{
    QMutexLocker lock(&folderMutex);
    folder = newFolder;
    folderKnown = true;
}

QString pq_fileUrl(const QString &path)
{
    if (path.isEmpty())
        return QString();
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

bool pq_isReadableFile(const QString &path, qint64 maxSize)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable() && info.size() <= maxSize;
}
