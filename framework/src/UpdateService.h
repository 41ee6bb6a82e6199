#pragma once
// The product-data web service that the update check asks, and the framework's
// preference store that holds the proxy settings of every request.

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

class QSettings;

namespace UpdateService {

// The service host lies under the reserved top-level domain ".invalid", so the
// request reaches nobody until the product has a service of its own.
inline constexpr char kHost[] = "updates.vandrelith.invalid";
inline constexpr int kPort = 80;
inline constexpr char kPath[] = "/services/ProductData.asmx";
// The default namespace of GetProductData and the stem of the SOAPAction.
inline constexpr char kNamespace[] = "http://updates.vandrelith.invalid/productdata";
inline constexpr int kTimeoutMilliseconds = 15000;
// The key the service expects with every request.
inline constexpr char kServiceKey[] = "hvjq##517n26%%+rt__ke84zw";
// A reply, declared or received, longer than this is no answer of the service.
inline constexpr qint64 kReplyCap = 256 * 1024;

// Where requests go. Only tests point it elsewhere (a server on the loopback
// interface, a short time-out); no export reaches it.
struct Endpoint {
    QUrl url;
    QString serviceNamespace;
    int timeoutMilliseconds = kTimeoutMilliseconds;
};

// http://kHost:80/kPath, kNamespace, kTimeoutMilliseconds, unless overridden.
Endpoint endpoint();
void setEndpoint(const Endpoint& endpoint);
void resetEndpoint();

// The download link of a file the service names: scheme http, the service
// host (and its port when it is not 80), "/files/" and the name as one
// percent-encoded path segment.
QUrl downloadUrl(const QString& fileName);

// Whether a link may be handed to the desktop: http or https to the service host.
bool isServiceLink(const QUrl& url);

// The organisation of the framework's preference stores: the vendor ("Vandrelith"
// when it is empty), "." and the preference domain. The update dialog and the
// request both name the shared store through it.
QString storeOrganisation(const QString& vendor, const QString& prefdomain);

// The shared store (application "KirrFramework") of that organisation.
std::unique_ptr<QSettings> openSharedStore(const QString& vendor, const QString& prefdomain);

// Makes the store's file readable and writable by its owner only, creating it
// empty with that mode when it does not exist yet. Called before the first
// value is set, since QSettings may write the file at any turn of the event
// loop after that; QSettings keeps the mode when it rewrites the file. False,
// with a warning, when the file cannot be made private.
bool restrictToOwner(const QSettings& store);

// The stored form of the proxy password: its UTF-8 bytes XORed with a fixed
// 8-byte key, in Base64; unscramblePassword reverses it.
QByteArray scramblePassword(const QString& password);
QString unscramblePassword(const QByteArray& stored);

}  // namespace UpdateService
