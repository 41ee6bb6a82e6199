#include "jobs/pq_templatesFolder.h"

#include "platform/program_folders.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
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

static QImage readGuarded(QImageReader &reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QImage();
    return reader.read();
}

QImage pq_readPicture(const QString &path)
{
    if (!path.startsWith(QLatin1Char(':')) && !pq_isReadableFile(path, kMaxPictureSize))
        return QImage();
    QImageReader reader(path);
    return readGuarded(reader);
}

QImage pq_decodePicture(const QByteArray &bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return readGuarded(reader);
}
