#pragma once
// Stand-ins for the network of the update check, all on 127.0.0.1: an HTTP
// server that answers by scenario (also as an HTTP proxy), a SOCKS 5 proxy
// that relays to it, and an application proxy factory that keeps every other
// host on a closed loopback port and records it.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QNetworkProxyFactory>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

// One request as the server read it.
struct ReceivedRequest {
    QByteArray requestLine;
    QMap<QByteArray, QByteArray> headers;  // names in lower case
    QByteArray head;                      // request line and headers as sent
    QByteArray body;
};

class ServiceStub : public QObject {
    Q_OBJECT

public:
    // How the server answers request number index (0-based) on socket.
    using Answer = std::function<void(ServiceStub& stub, QTcpSocket* socket, const ReceivedRequest& request, int index)>;

    explicit ServiceStub(Answer answer = {});
    ~ServiceStub() override;

    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString& path = QStringLiteral("/services/ProductData.asmx")) const;
    void setAnswer(Answer answer) { m_answer = std::move(answer); }

    QList<ReceivedRequest> requests;
    int connections = 0;
    int closedByClient = 0;  // connections the client closed before the server did

    // A whole answer with Content-Length, after which the server closes.
    static void reply(QTcpSocket* socket, int status, const QByteArray& body,
                      const QByteArray& extraHeaders = QByteArray());
    // The product data reply of the service.
    static QByteArray productData(const QString& version, const QString& fileName = QStringLiteral("pelto5.zip"),
                                  const QString& date = QStringLiteral("2026-12-01"));
    // Headers, then bytes in pieces until total bytes went out or the client closed.
    static void stream(QTcpSocket* socket, const QByteArray& headers, qint64 total, bool chunked, int pieceSize,
                       int pauseMilliseconds);

private:
    void accept();
    void readFrom(QTcpSocket* socket);

    QTcpServer m_server;
    Answer m_answer;
};

// A SOCKS 5 proxy (RFC 1928, with RFC 1929 user and password when a user is
// set) that relays every connection to 127.0.0.1:targetPort.
class Socks5Stub : public QObject {
    Q_OBJECT

public:
    Socks5Stub(quint16 targetPort, const QByteArray& user = QByteArray(), const QByteArray& password = QByteArray());
    quint16 port() const { return m_server.serverPort(); }

    QStringList requestedHosts;
    QList<quint16> requestedPorts;
    QList<QByteArray> logins;  // "user:password" as received

private:
    void accept();

    QTcpServer m_server;
    quint16 m_targetPort;
    QByteArray m_user;
    QByteArray m_password;
};

// Installed as the application proxy factory: 127.0.0.1 goes direct, any other
// host to a closed loopback port, and is recorded.
class LoopbackOnlyProxies : public QNetworkProxyFactory {
public:
    static void install();
    static QStringList takeForeignHosts();
    static quint16 closedPort();

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;
};
