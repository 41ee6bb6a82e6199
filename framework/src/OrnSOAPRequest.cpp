#include "OrnSOAPRequest.h"

#include "Logging.h"
#include "ProgramFolder.h"
#include "UpdateService.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QTimer>

namespace {

bool isSuccess(int status)
{
    return status >= 200 && status < 300;
}

int answerTooLong()
{
    qCWarning(lcFrameworkUpdate, "the update service's answer is longer than %lld bytes and was not read",
              static_cast<long long>(UpdateService::kReplyCap));
    return UpdateReply::kNoResult;
}

}  // namespace

OrnSOAPRequest::OrnSOAPRequest() : OrnSOAPRequest(programFolder()) {}

OrnSOAPRequest::OrnSOAPRequest(const QString& appDir) : m_style(appDir)
{
    readProxySettings();
}

OrnSOAPRequest::~OrnSOAPRequest()
{
    m_finished = true;
    if (m_manager)
        m_manager->disconnect(this);
    if (m_pending) {
        m_pending->disconnect(this);
        m_pending->abort();
    }
}

void OrnSOAPRequest::readProxySettings()
{
    const std::unique_ptr<QSettings> store = UpdateService::openSharedStore(
        m_style.findStyleElement(QStringLiteral("vendor")), m_style.findStyleElement(QStringLiteral("prefdomain")));
    m_useProxy = store->value(QStringLiteral("puseproxy")).toBool();
    if (!m_useProxy)
        return;
    const QString host = store->value(QStringLiteral("phost")).toString();
    if (!host.isEmpty())
        m_proxy.setHostName(host);
    const QString port = store->value(QStringLiteral("pport")).toString();
    if (!port.isEmpty())
        m_proxy.setPort(port.toUShort(nullptr, 10));
    if (store->value(QStringLiteral("plogin")).toBool()) {
        const QString user = store->value(QStringLiteral("puser")).toString();
        if (!user.isEmpty())
            m_proxy.setUser(user);
        const QString password =
            UpdateService::unscramblePassword(store->value(QStringLiteral("ppassword")).toByteArray());
        if (!password.isEmpty())
            m_proxy.setPassword(password);
    }
    m_proxy.setType(store->value(QStringLiteral("ptype")).toString() == QLatin1String("SOCKS5")
                        ? QNetworkProxy::Socks5Proxy
                        : QNetworkProxy::HttpProxy);
}

QByteArray OrnSOAPRequest::envelope(const QString& serviceNamespace, const QString& key, const QString& productId)
{
    const QString text =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       "<soap:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                       "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
                       "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
                       "<soap:Body>\n"
                       "<GetProductData xmlns=\"%1\">\n"
                       "<key>%2</key>\n"
                       "<proId>%3</proId>\n"
                       "</GetProductData>\n"
                       "</soap:Body>\n"
                       "</soap:Envelope>\n")
            .arg(serviceNamespace.toHtmlEscaped(), key.toHtmlEscaped(), productId.toHtmlEscaped());
    return text.toUtf8();
}

void OrnSOAPRequest::requestVersion(const QString& key, const QString& productId)
{
    if (m_sent) {
        qCWarning(lcFrameworkUpdate, "a version request is sent only once");
        return;
    }
    m_sent = true;
    const UpdateService::Endpoint service = UpdateService::endpoint();

    m_manager = new QNetworkAccessManager(this);
    connect(m_manager, &QNetworkAccessManager::finished, this, &OrnSOAPRequest::versionRequestFinished);
    if (m_useProxy)
        m_manager->setProxy(m_proxy);

    QNetworkRequest request(service.url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    request.setRawHeader(QByteArrayLiteral("SOAPAction"),
                         (service.serviceNamespace + QStringLiteral("/GetProductData")).toUtf8());
    // The reply is read as it comes, so that the cap counts the bytes received;
    // Qt would otherwise ask for a compressed reply and inflate it unbounded.
    request.setRawHeader(QByteArrayLiteral("Accept-Encoding"), QByteArrayLiteral("identity"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &OrnSOAPRequest::requestTimedOut);

    m_pending = m_manager->post(request, envelope(service.serviceNamespace, key, productId));
    watchReply();
    m_timer->start(service.timeoutMilliseconds);
}

// Reads the body as it arrives, so that an answer that is too long stops
// being read at once; the body of an answer that is no success is dropped.
void OrnSOAPRequest::watchReply()
{
    QNetworkReply* reply = m_pending;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && isSuccess(status.toInt())
            && reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > UpdateService::kReplyCap)
            stopReading(Stop::TooLong);
    });
    connect(reply, &QIODevice::readyRead, this, [this, reply] {
        if (m_stop != Stop::None)
            return;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && !isSuccess(status.toInt())) {
            m_dropped += reply->skip(reply->bytesAvailable());
            if (m_dropped > UpdateService::kReplyCap)
                stopReading(Stop::BadStatus);
            return;
        }
        m_body += reply->read(UpdateService::kReplyCap + 1 - m_body.size());
        if (m_body.size() > UpdateService::kReplyCap)
            stopReading(Stop::TooLong);
    });
}

void OrnSOAPRequest::stopReading(Stop reason)
{
    if (m_stop != Stop::None || !m_pending || m_finished)
        return;
    m_stop = reason;
    m_pending->abort();
}

void OrnSOAPRequest::requestTimedOut()
{
    stopReading(Stop::TimedOut);
}

int OrnSOAPRequest::resultCode(QNetworkReply* reply)
{
    switch (m_stop) {
    case Stop::TimedOut:
        return UpdateReply::kTimedOut;
    case Stop::TooLong:
        return answerTooLong();
    case Stop::BadStatus:
        return UpdateReply::kNetwork;
    case Stop::None:
        break;
    }
    if (reply->error() != QNetworkReply::NoError) {
        qCDebug(lcFrameworkUpdate, "update request failed: %s", qUtf8Printable(reply->errorString()));
        return UpdateReply::kNetwork;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!isSuccess(status))
        return UpdateReply::kNetwork;
    m_body += reply->read(UpdateService::kReplyCap + 1 - m_body.size());
    if (m_body.size() > UpdateService::kReplyCap || reply->bytesAvailable() > 0)
        return answerTooLong();
    const QVariant declared = reply->header(QNetworkRequest::ContentLengthHeader);
    if (declared.isValid() && declared.toLongLong() != m_body.size())
        return UpdateReply::kNetwork;  // the answer was cut short
    m_reply = UpdateReply::parse(m_body);
    return m_reply.code;
}

void OrnSOAPRequest::versionRequestFinished(QNetworkReply* reply)
{
    if (m_finished || reply != m_pending)
        return;
    m_finished = true;
    // The abort of a time-out finishes the reply inside the timer's own signal.
    m_timer->stop();
    m_timer->deleteLater();
    m_timer = nullptr;
    const int code = resultCode(reply);
    m_body.clear();
    m_pending = nullptr;
    reply->deleteLater();
    emit finishedVersionRequest(code);
}
