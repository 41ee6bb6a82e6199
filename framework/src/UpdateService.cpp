#include "UpdateService.h"

#include "Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace UpdateService {

namespace {

Endpoint defaultEndpoint()
{
    Endpoint service;
    service.url.setScheme(QStringLiteral("http"));
    service.url.setHost(QString::fromLatin1(kHost));  // the port is http's own, kPort
    service.url.setPath(QString::fromLatin1(kPath));
    service.serviceNamespace = QString::fromLatin1(kNamespace);
    return service;
}

Endpoint& current()
{
    static Endpoint service = defaultEndpoint();
    return service;
}

const char kScrambleKey[] = "T4kq9Rz2";

QByteArray xorWithKey(QByteArray bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ kScrambleKey[i % 8]);
    return bytes;
}

}  // namespace

Endpoint endpoint()
{
    return current();
}

void setEndpoint(const Endpoint& service)
{
    current() = service;
}

void resetEndpoint()
{
    current() = defaultEndpoint();
}

QUrl downloadUrl(const QString& fileName)
{
    const QUrl service = current().url;
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(service.host());
    if (service.port(kPort) != kPort)
        url.setPort(service.port());
    url.setPath(QStringLiteral("/files/") + QString::fromLatin1(QUrl::toPercentEncoding(fileName)),
                QUrl::StrictMode);
    return url;
}

bool isServiceLink(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && url.host().compare(current().url.host(), Qt::CaseInsensitive) == 0 && url.userInfo().isEmpty();
}

QString storeOrganisation(const QString& vendor, const QString& prefdomain)
{
    return (vendor.isEmpty() ? QStringLiteral("Vandrelith") : vendor) + QLatin1Char('.') + prefdomain;
}

std::unique_ptr<QSettings> openSharedStore(const QString& vendor, const QString& prefdomain)
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       storeOrganisation(vendor, prefdomain), QStringLiteral("KirrFramework"));
}

bool restrictToOwner(const QSettings& store)
{
    const QString path = store.fileName();
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        // Created with the owner's rights alone, whatever the umask allows.
        const int fd = QDir().mkpath(info.absolutePath())
                           ? ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                    S_IRUSR | S_IWUSR)
                           : -1;
        if (fd >= 0)
            ::close(fd);
    }
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner)) {
        qCWarning(lcFrameworkUpdate, "could not restrict %s to its owner", qUtf8Printable(path));
        return false;
    }
    return true;
}

QByteArray scramblePassword(const QString& password)
{
    return xorWithKey(password.toUtf8()).toBase64();
}

QString unscramblePassword(const QByteArray& stored)
{
    return QString::fromUtf8(xorWithKey(QByteArray::fromBase64(stored)));
}

}  // namespace UpdateService
