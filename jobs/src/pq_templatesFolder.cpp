#include "jobs/pq_templatesFolder.h"

#include "platform/program_folders.h"

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
