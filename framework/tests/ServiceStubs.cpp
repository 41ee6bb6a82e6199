#include "ServiceStubs.h"

#include <QtEndian>
#include <QTcpSocket>
#include <QTimer>

namespace {

QStringList foreignHosts;
const int kMaxConnections = 32;
const int kMaxHead = 64 * 1024;

}  // namespace

ServiceStub::ServiceStub(Answer answer) : m_answer(std::move(answer))
{
    m_server.setMaxPendingConnections(kMaxConnections);
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &ServiceStub::accept);
}

ServiceStub::~ServiceStub() = default;

QUrl ServiceStub::url(const QString& path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(port());
    url.setPath(path);
    return url;
}

void ServiceStub::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        if (++connections > kMaxConnections) {
            socket->abort();
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (!socket->property("serverCloses").toBool())
                ++closedByClient;
            socket->deleteLater();
        });
    }
}

void ServiceStub::readFrom(QTcpSocket* socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    for (;;) {
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0) {
            if (buffer.size() > kMaxHead)
                socket->abort();
            break;
        }
        ReceivedRequest request;
        request.head = buffer.left(end + 4);
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        request.requestLine = lines.value(0).trimmed();
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const int length = request.headers.value("content-length").toInt();
        if (buffer.size() < end + 4 + length)
            break;
        request.body = buffer.mid(end + 4, length);
        buffer.remove(0, end + 4 + length);
        requests.append(request);
        if (m_answer)
            m_answer(*this, socket, request, requests.size() - 1);
    }
    socket->setProperty("buffer", buffer);
}

void ServiceStub::reply(QTcpSocket* socket, int status, const QByteArray& body, const QByteArray& extraHeaders)
{
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + " Stub\r\n"
                        "Content-Type: text/xml; charset=utf-8\r\n"
                        "Content-Length: " + QByteArray::number(body.size()) + "\r\n" + extraHeaders
                        + "Connection: close\r\n\r\n" + body;
    socket->setProperty("serverCloses", true);
    socket->write(answer);
    socket->disconnectFromHost();
}

QByteArray ServiceStub::productData(const QString& version, const QString& fileName, const QString& date)
{
    return ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
            "<soap:Body><GetProductDataResponse xmlns=\"http://updates.vandrelith.invalid/productdata\">"
            "<GetProductDataResult><ProVersion>" + version.toHtmlEscaped() + "</ProVersion><ProDate>"
            + date.toHtmlEscaped() + "</ProDate><ProFilename>" + fileName.toHtmlEscaped()
            + "</ProFilename></GetProductDataResult></GetProductDataResponse></soap:Body></soap:Envelope>\n")
        .toUtf8();
}

void ServiceStub::stream(QTcpSocket* socket, const QByteArray& headers, qint64 total, bool chunked, int pieceSize,
                         int pauseMilliseconds)
{
    socket->write(headers);
    auto* timer = new QTimer(socket);
    auto* sent = new qint64(0);
    QObject::connect(timer, &QObject::destroyed, [sent] { delete sent; });
    QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, sent, total, chunked, pieceSize] {
        if (socket->state() != QAbstractSocket::ConnectedState || *sent >= total) {
            timer->stop();
            if (chunked && socket->state() == QAbstractSocket::ConnectedState)
                socket->write("0\r\n\r\n");
            return;
        }
        if (socket->bytesToWrite() > 4 * pieceSize)
            return;
        const int size = int(qMin<qint64>(pieceSize, total - *sent));
        const QByteArray piece(size, 'x');
        if (chunked)
            socket->write(QByteArray::number(size, 16) + "\r\n" + piece + "\r\n");
        else
            socket->write(piece);
        *sent += size;
    });
    timer->start(pauseMilliseconds);
}

Socks5Stub::Socks5Stub(quint16 targetPort, const QByteArray& user, const QByteArray& password)
    : m_targetPort(targetPort), m_user(user), m_password(password)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, &Socks5Stub::accept);
}

void Socks5Stub::accept()
{
    while (QTcpSocket* client = m_server.nextPendingConnection()) {
        client->setParent(this);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        auto* stage = new int(0);  // 0 greeting, 1 login, 2 request, 3 relaying
        connect(client, &QObject::destroyed, [stage] { delete stage; });
        connect(client, &QTcpSocket::readyRead, this, [this, client, stage] {
            QByteArray buffer = client->property("buffer").toByteArray() + client->readAll();
            const auto keep = [&] { client->setProperty("buffer", buffer); };
            if (*stage == 0) {
                if (buffer.size() < 2 || buffer.size() < 2 + quint8(buffer[1]))
                    return keep();
                const QByteArray methods = buffer.mid(2, quint8(buffer[1]));
                buffer.remove(0, 2 + methods.size());
                const char wanted = m_user.isEmpty() ? 0x00 : 0x02;
                if (!methods.contains(wanted)) {
                    client->write(QByteArray("\x05\xff", 2));
                    client->disconnectFromHost();
                    return;
                }
                client->write(QByteArray("\x05", 1) + QByteArray(1, wanted));
                *stage = m_user.isEmpty() ? 2 : 1;
            }
            if (*stage == 1) {
                if (buffer.size() < 2 || buffer.size() < 3 + quint8(buffer[1]))
                    return keep();
                const int userLength = quint8(buffer[1]);
                if (buffer.size() < 3 + userLength + quint8(buffer[2 + userLength]))
                    return keep();
                const QByteArray user = buffer.mid(2, userLength);
                const QByteArray password = buffer.mid(3 + userLength, quint8(buffer[2 + userLength]));
                buffer.remove(0, 3 + userLength + password.size());
                logins.append(user + ':' + password);
                const bool good = user == m_user && password == m_password;
                client->write(QByteArray("\x01", 1) + QByteArray(1, good ? 0x00 : 0x01));
                if (!good) {
                    client->disconnectFromHost();
                    return;
                }
                *stage = 2;
            }
            if (*stage == 2) {
                if (buffer.size() < 5)
                    return keep();
                const char type = buffer[3];
                int length = 0;
                QString host;
                if (type == 0x03) {
                    length = 5 + quint8(buffer[4]) + 2;
                    if (buffer.size() < length)
                        return keep();
                    host = QString::fromLatin1(buffer.mid(5, quint8(buffer[4])));
                } else if (type == 0x01) {
                    length = 4 + 4 + 2;
                    if (buffer.size() < length)
                        return keep();
                    host = QHostAddress(qFromBigEndian<quint32>(buffer.constData() + 4)).toString();
                } else {
                    client->disconnectFromHost();
                    return;
                }
                requestedHosts.append(host);
                requestedPorts.append(qFromBigEndian<quint16>(buffer.constData() + length - 2));
                buffer.remove(0, length);
                auto* target = new QTcpSocket(client);
                connect(target, &QTcpSocket::connected, client, [client] {
                    client->write(QByteArray("\x05\x00\x00\x01\x7f\x00\x00\x01\x00\x00", 10));
                });
                connect(target, &QTcpSocket::readyRead, client, [client, target] { client->write(target->readAll()); });
                connect(target, &QTcpSocket::disconnected, client, [client] { client->disconnectFromHost(); });
                target->connectToHost(QHostAddress::LocalHost, m_targetPort);
                *stage = 3;
                if (!buffer.isEmpty()) {
                    connect(target, &QTcpSocket::connected, target, [target, buffer] { target->write(buffer); });
                }
                buffer.clear();
                return keep();
            }
            if (*stage == 3) {
                auto* target = client->findChild<QTcpSocket*>();
                if (target)
                    target->write(buffer);
                buffer.clear();
                keep();
            }
        });
    }
}

void LoopbackOnlyProxies::install()
{
    QNetworkProxyFactory::setApplicationProxyFactory(new LoopbackOnlyProxies);
}

QStringList LoopbackOnlyProxies::takeForeignHosts()
{
    QStringList hosts;
    hosts.swap(foreignHosts);
    return hosts;
}

quint16 LoopbackOnlyProxies::closedPort()
{
    static quint16 port = [] {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 free = probe.serverPort();
        probe.close();
        return free;
    }();
    return port;
}

QList<QNetworkProxy> LoopbackOnlyProxies::queryProxy(const QNetworkProxyQuery& query)
{
    const QString host = query.peerHostName();
    if (host == QLatin1String("127.0.0.1") || query.queryType() == QNetworkProxyQuery::TcpServer)
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    foreignHosts.append(host);
    return {QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), closedPort())};
}
