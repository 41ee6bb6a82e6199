#include <chart/BoundedFile.h>

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chart {

namespace {

FileRead failed(FileReadE status, const QString& why)
{
    FileRead read;
    read.status = status;
    read.why = why;
    return read;
}

QString tooLarge(qint64 limit)
{
    return QStringLiteral("is larger than %1 bytes").arg(limit);
}

}  // namespace

FileRead readBoundedFile(const QString& path, qint64 limit)
{
    if (path.isEmpty())
        return failed(FileReadE::Missing, QStringLiteral("has no name"));
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK, opening a pipe that no one writes to waits forever.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return failed(FileReadE::Missing, QStringLiteral("does not exist"));
        return failed(FileReadE::Unreadable,
                      QStringLiteral("cannot be opened: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failed(FileReadE::NotRegular, QStringLiteral("is not a regular file"));
    }
    if (info.st_size > limit) {
        ::close(fd);
        return failed(FileReadE::TooLarge, tooLarge(limit));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(FileReadE::Unreadable, QStringLiteral("cannot be opened: %1").arg(file.errorString()));
    }
    FileRead read;
    read.bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(FileReadE::Unreadable, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    // The file may have grown since it was measured.
    if (read.bytes.size() > limit)
        return failed(FileReadE::TooLarge, tooLarge(limit));
    read.status = FileReadE::Read;
    return read;
}

FileStamp FileStamp::of(const QString& path)
{
    FileStamp stamp;
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + qint64(info.st_mtim.tv_nsec);
    return stamp;
}

}  // namespace chart
