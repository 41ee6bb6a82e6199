#pragma once
// One request to the update service: a SOAP 1.1 POST over HTTP, direct or
// through the proxy of the framework's shared preferences, bounded by a
// time-out and by the length of the reply.

#include "UpdateReply.h"
#include "XMLController.h"

#include <QByteArray>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class OrnSOAPRequest : public QObject {
    Q_OBJECT

public:
    // Reads the style file and the proxy settings of the running program.
    OrnSOAPRequest();
    // The same for the program folder appDir.
    explicit OrnSOAPRequest(const QString& appDir);
    // A request still running is aborted; it emits nothing more.
    ~OrnSOAPRequest() override;

    // Posts the request once; a second call is ignored.
    void requestVersion(const QString& key, const QString& productId);

    QString proVersion() const { return m_reply.version; }
    QString proFilename() const { return m_reply.fileName; }
    QString proDate() const { return m_reply.date; }
    const UpdateReply::ProductData& productData() const { return m_reply; }

    bool usesProxy() const { return m_useProxy; }
    QNetworkProxy proxy() const { return m_proxy; }

    // The envelope's nine lines; key and product id escaped as XML text.
    static QByteArray envelope(const QString& serviceNamespace, const QString& key, const QString& productId);

signals:
    // Once per request: 0 read, 2 no result in the reply, 8 timed out, 9 any
    // other failure (see UpdateReply::Code).
    void finishedVersionRequest(int code);

public slots:
    void versionRequestFinished(QNetworkReply* reply);
    void requestTimedOut();

private:
    enum class Stop { None, TimedOut, TooLong, BadStatus };

    void readProxySettings();
    void watchReply();
    void stopReading(Stop reason);
    int resultCode(QNetworkReply* reply);

    UpdateReply::ProductData m_reply;
    bool m_useProxy = false;
    QNetworkProxy m_proxy;
    QNetworkAccessManager* m_manager = nullptr;
    QPointer<QNetworkReply> m_pending;
    QTimer* m_timer = nullptr;
    XMLController m_style;
    QByteArray m_body;
    qint64 m_dropped = 0;  // bytes of an answer that is no success
    Stop m_stop = Stop::None;
    bool m_sent = false;
    bool m_finished = false;
};
