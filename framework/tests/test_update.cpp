// The update check against services on the loopback interface: the request as
// sent, every answer and failure, hostile replies, both kinds of proxy, the
// flow of forced and automatic checks, and the proxy settings.
#include "KirrFramework.h"
#include "OrnSOAPRequest.h"
#include "ProxyDialog.h"
#include "ServiceStubs.h"
#include "SplashScreen.h"
#include "TestSupport.h"
#include "UpdateCheck.h"
#include "UpdateDialog.h"
#include "UpdateReply.h"
#include "UpdateService.h"

#include <QApplication>
#include <QFileInfo>
#include <QIntValidator>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

using Answer = ServiceStub::Answer;
Q_DECLARE_METATYPE(ServiceStub::Answer)
class UpdateTest;
Q_DECLARE_METATYPE(std::function<void(UpdateTest&)>)

namespace {

const QString kVendor = QStringLiteral("Vend");
const QString kDomain = QStringLiteral("dom");
const QString kServiceHost = QString::fromLatin1(UpdateService::kHost);

Answer replyWith(int status, const QByteArray& body, const QByteArray& headers = QByteArray())
{
    return [=](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        ServiceStub::reply(socket, status, body, headers);
    };
}

Answer productData(const QString& version, const QString& fileName = QStringLiteral("pelto5.zip"))
{
    return replyWith(200, ServiceStub::productData(version, fileName));
}

Answer silence()
{
    return [](ServiceStub&, QTcpSocket*, const ReceivedRequest&, int) {};
}

// The anchors of a rich text, read as the label's document holds them.
QStringList anchors(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    QStringList found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && (found.isEmpty() || found.last() != format.anchorHref()))
                found.append(format.anchorHref());
        }
    }
    return found;
}

QString plainText(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

// Runs inspect on the next modal dialog as soon as it shows, then closes it.
void whenModal(std::function<void(QDialog*)> inspect, bool accept = false)
{
    QTimer::singleShot(0, [inspect, accept] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        inspect(dialog);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

}  // namespace

class UpdateTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void requestBytes();
    void answers_data();
    void answers();
    void timeOutEmitsOnce();
    void versions_data();
    void versions();
    void replies_data();
    void replies();
    void hostileNames_data();
    void hostileNames();
    void foreignLinks_data();
    void foreignLinks();
    void httpProxy();
    void httpProxyLogin();
    void socksProxy_data();
    void socksProxy();
    void refusingProxy();
    void flow_data();
    void flow();
    void splashStillCloses();
    void replacedRequestIsDropped();
    void shownDialogRunsOnce();
    void proxyCancel();
    void proxyOk_data();
    void proxyOk();
    void passwords_data();
    void passwords();
    void storeIsPrivate_data();
    void storeIsPrivate();
    void storeIsPrivateFromTheStart();
    void storeWithoutVendor();
    void guiGoesOn();
    void forms();

private:
    // Sends one request and waits for its result; the code, or -1.
    int codeOf(OrnSOAPRequest& request, const QString& productId = QStringLiteral("VP-5"));
    void pointAt(const QUrl& url, int timeoutMilliseconds = 10000);
    QSettings& shared() { return *m_shared; }
    void useProxy(QNetworkProxy::ProxyType type, quint16 port, const QString& user = QString(),
                  const QString& password = QString());

    QTemporaryDir m_program;
    std::unique_ptr<QSettings> m_shared;
    std::unique_ptr<QSettings> m_product;
};

void UpdateTest::initTestCase()
{
    LoopbackOnlyProxies::install();
    writeFile(m_program.path() + QStringLiteral("/Resources/style.xml"),
              styleXml({{"vendor", kVendor}, {"product", "prod"}, {"prefdomain", kDomain}, {"version", "5.1.1"},
                        {"productid", "VP-5"}}));
    m_shared = UpdateService::openSharedStore(kVendor, kDomain);
    m_product = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            UpdateService::storeOrganisation(kVendor, kDomain), QStringLiteral("prod"));
}

void UpdateTest::init()
{
    m_shared->clear();
    m_shared->sync();
    m_product->clear();
    m_product->sync();
}

void UpdateTest::cleanup()
{
    UpdateService::resetEndpoint();
    setUpdateCheckStarter(nullptr);
    QCOMPARE(LoopbackOnlyProxies::takeForeignHosts(), QStringList());
    QCOMPARE(UrlCatcher::instance()->takeUrls(), QList<QUrl>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void UpdateTest::pointAt(const QUrl& url, int timeoutMilliseconds)
{
    UpdateService::Endpoint service = UpdateService::endpoint();
    service.url = url;
    service.timeoutMilliseconds = timeoutMilliseconds;
    UpdateService::setEndpoint(service);
}

int UpdateTest::codeOf(OrnSOAPRequest& request, const QString& productId)
{
    QSignalSpy finished(&request, &OrnSOAPRequest::finishedVersionRequest);
    request.requestVersion(QString::fromLatin1(UpdateService::kServiceKey), productId);
    if (!finished.wait(15000) && finished.isEmpty())
        return -1;
    return finished.size() == 1 ? finished[0][0].toInt() : -2;
}

void UpdateTest::useProxy(QNetworkProxy::ProxyType type, quint16 port, const QString& user, const QString& password)
{
    shared().setValue(QStringLiteral("puseproxy"), true);
    shared().setValue(QStringLiteral("phost"), QStringLiteral("127.0.0.1"));
    shared().setValue(QStringLiteral("pport"), QString::number(port));
    shared().setValue(QStringLiteral("ptype"),
                      type == QNetworkProxy::Socks5Proxy ? QStringLiteral("SOCKS5") : QStringLiteral("HTTP"));
    shared().setValue(QStringLiteral("plogin"), !user.isEmpty());
    shared().setValue(QStringLiteral("puser"), user);
    shared().setValue(QStringLiteral("ppassword"), UpdateService::scramblePassword(password));
    shared().sync();
}

// The request line, the headers and the nine lines of the envelope, byte for
// byte; markup in the product id is escaped.
void UpdateTest::requestBytes()
{
    ServiceStub stub(productData("5.1.1"));
    pointAt(stub.url());
    OrnSOAPRequest request(m_program.path());
    QCOMPARE(codeOf(request, QStringLiteral("VP&5<x>")), 0);
    QCOMPARE(stub.requests.size(), 1);
    const ReceivedRequest& sent = stub.requests[0];
    QCOMPARE(sent.requestLine, QByteArray("POST /services/ProductData.asmx HTTP/1.1"));
    QCOMPARE(sent.headers.value("host"), "127.0.0.1:" + QByteArray::number(stub.port()));
    QCOMPARE(sent.headers.value("content-type"), QByteArray("text/xml; charset=utf-8"));
    QVERIFY(sent.head.contains("\r\nSOAPAction: http://updates.vandrelith.invalid/productdata/GetProductData\r\n"));
    QCOMPARE(sent.headers.value("accept-encoding"), QByteArray("identity"));
    const QByteArray envelope =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<soap:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n"
        "<soap:Body>\n"
        "<GetProductData xmlns=\"http://updates.vandrelith.invalid/productdata\">\n"
        "<key>hvjq##517n26%%+rt__ke84zw</key>\n"
        "<proId>VP&amp;5&lt;x&gt;</proId>\n"
        "</GetProductData>\n"
        "</soap:Body>\n"
        "</soap:Envelope>\n";
    QCOMPARE(sent.body, envelope);
    QCOMPARE(OrnSOAPRequest::envelope(QString::fromLatin1(UpdateService::kNamespace),
                                      QString::fromLatin1(UpdateService::kServiceKey), QStringLiteral("VP&5<x>")),
             envelope);
    QVERIFY(OrnSOAPRequest::envelope(QStringLiteral("ns"), QStringLiteral("k"), QStringLiteral("VP-5"))
                .contains("\n<proId>VP-5</proId>\n"));
    QCOMPARE(request.proVersion(), QStringLiteral("5.1.1"));
    QCOMPARE(request.proFilename(), QStringLiteral("pelto5.zip"));
    QCOMPARE(request.proDate(), QStringLiteral("2026-12-01"));
}

void UpdateTest::answers_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("clientCloses");  // the server sees the connection closed
    QTest::addColumn<bool>("tooLong");       // the answer is reported too long

    const QByteArray big(UpdateService::kReplyCap + 1, 'x');
    QTest::newRow("valid") << productData("5.2.0") << 0 << false << false;
    QTest::newRow("not XML") << replyWith(200, "hello") << 2 << false << false;
    QTest::newRow("no result") << replyWith(200, "<a><ProVersion>5.2</ProVersion></a>") << 2 << false << false;
    QTest::newRow("no version") << replyWith(200, "<GetProductDataResult><ProDate>x</ProDate></GetProductDataResult>")
                                << 2 << false << false;
    QTest::newRow("empty version") << productData("") << 2 << false << false;
    QTest::newRow("404") << replyWith(404, ServiceStub::productData("9.9")) << 9 << false << false;
    QTest::newRow("500") << replyWith(500, "oops") << 9 << false << false;
    QTest::newRow("301") << replyWith(301, ServiceStub::productData("9.9"), "Location: http://127.0.0.1:1/x\r\n")
                         << 9 << false << false;
    QTest::newRow("204") << replyWith(204, QByteArray()) << 2 << false << false;
    QTest::newRow("cut short") << Answer([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        socket->setProperty("serverCloses", true);
        socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<GetProductDataResult>");
        socket->disconnectFromHost();
    }) << 9 << false << false;
    QTest::newRow("closed without answer") << Answer([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        socket->setProperty("serverCloses", true);
        socket->disconnectFromHost();
    }) << 9 << false << false;
    QTest::newRow("past the cap, sent whole") << replyWith(200, big) << 2 << false << true;
    QTest::newRow("404, long") << replyWith(404, big + big) << 9 << false << false;
    QTest::newRow("past the cap, declared") << Answer([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        ServiceStub::stream(socket, "HTTP/1.1 200 OK\r\nContent-Length: 10000000\r\n\r\n", 10000000, false, 16384, 1);
    }) << 2 << true << true;
    QTest::newRow("past the cap, chunked") << Answer([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
        ServiceStub::stream(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", 10000000, true, 16384, 1);
    }) << 2 << true << true;
    // Told to send no compressed reply, a service that does is not inflated:
    // its bytes are no XML, however small, and never grow past the cap.
    const QByteArray padded = ServiceStub::productData("5.2.0") + QByteArray(10000000, ' ');
    QTest::newRow("compressed all the same") << replyWith(200, qCompress(ServiceStub::productData("5.2.0")).mid(4),
                                                          "Content-Encoding: deflate\r\n")
                                             << 2 << false << false;
    QTest::newRow("compressed past the cap")
        << replyWith(200, qCompress(padded, 9).mid(4), "Content-Encoding: deflate\r\n") << 2 << false << false;
}

void UpdateTest::answers()
{
    QFETCH(Answer, answer);
    QFETCH(int, code);
    QFETCH(bool, clientCloses);
    QFETCH(bool, tooLong);
    if (tooLong)
        QTest::ignoreMessage(QtWarningMsg, "the update service's answer is longer than 262144 bytes and was not read");
    ServiceStub stub(answer);
    pointAt(stub.url());
    OrnSOAPRequest request(m_program.path());
    QCOMPARE(codeOf(request), code);
    // Qt sends a request once more when the server closed without a word.
    QVERIFY(stub.requests.size() >= 1 && stub.requests.size() <= 2);
    if (clientCloses)
        QTRY_COMPARE(stub.closedByClient, 1);
}

void UpdateTest::timeOutEmitsOnce()
{
    for (const bool trickle : {false, true}) {
        ServiceStub stub([trickle](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int) {
            if (trickle)
                ServiceStub::stream(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", 100000, false, 1, 50);
        });
        pointAt(stub.url(), 300);
        OrnSOAPRequest request(m_program.path());
        QSignalSpy finished(&request, &OrnSOAPRequest::finishedVersionRequest);
        request.requestVersion(QStringLiteral("k"), QStringLiteral("p"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(finished[0][0].toInt(), 8);
        QTest::qWait(600);
        QCOMPARE(finished.size(), 1);
        QTRY_COMPARE(stub.closedByClient, 1);
    }
}

void UpdateTest::versions_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("latest");
    QTest::addColumn<bool>("newer");
    QTest::newRow("5.1.1 < 5.1.2") << "5.1.1" << "5.1.2" << true;
    QTest::newRow("5.1.9 < 5.1.10") << "5.1.9" << "5.1.10" << true;
    QTest::newRow("5.1.10 > 5.1.9") << "5.1.10" << "5.1.9" << false;
    QTest::newRow("equal") << "5.1.1" << "5.1.1" << false;
    QTest::newRow("older") << "5.2.0" << "5.1.1" << false;
    QTest::newRow("10.0 > 9.9") << "9.9" << "10.0" << true;
    QTest::newRow("same numbers, texts") << "5.2.0a" << "5.2.0b" << true;
    QTest::newRow("no number, texts") << "beta" << "gamma" << true;
    QTest::newRow("leading blank compares as text") << "5.1.1" << " 9" << false;
}

void UpdateTest::versions()
{
    QFETCH(QString, installed);
    QFETCH(QString, latest);
    QFETCH(bool, newer);
    QCOMPARE(UpdateReply::isNewer(installed, latest), newer);
    UpdateReply::ProductData reply;
    reply.code = 0;
    reply.version = latest;
    reply.fileName = QStringLiteral("f.zip");
    const QString text = UpdateReply::resultText(0, kVendor, QStringLiteral("prod"), installed, reply);
    if (newer) {
        QVERIFY2(plainText(text).startsWith(QStringLiteral("A newer version of Vend prod\nis available:\n"
                                                           "Installed version: ") + installed),
                 qPrintable(text));
        QVERIFY(plainText(text).contains(QStringLiteral("Download version ") + latest + QStringLiteral(" now…")));
    } else {
        QCOMPARE(text, QStringLiteral("Vend prod is up-to-date."));
    }
}

void UpdateTest::replies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("fileName");

    QTest::newRow("version cut at its first blank")
        << ServiceStub::productData("5.2.0 beta") << 0 << "5.2.0" << "pelto5.zip";
    QTest::newRow("leading blank not cut") << ServiceStub::productData(" 5.2.0 beta") << 0 << " 5.2.0 beta" << "pelto5.zip";
    QTest::newRow("first of a name, anywhere")
        << QByteArray("<r><x><ProVersion>1.2</ProVersion></x><GetProductDataResult/><ProVersion>3</ProVersion>"
                      "<ProFilename>a<b>c</b>d</ProFilename></r>")
        << 0 << "1.2" << "acd";
    QTest::newRow("whitespace only is no version")
        << QByteArray("<GetProductDataResult><ProVersion>  \n</ProVersion></GetProductDataResult>") << 2 << "" << "";
    QTest::newRow("not well-formed after the fields")
        << QByteArray("<GetProductDataResult><ProVersion>5</ProVersion></GetProductDataResult><x>") << 2 << "" << "";
    QTest::newRow("0xFF bytes") << QByteArray(4096, char(0xff)) << 2 << "" << "";
    QTest::newRow("entity bomb")
        << QByteArray("<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
                      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
                      "<r><GetProductDataResult><ProVersion>&g;</ProVersion></GetProductDataResult></r>")
        << 2 << "" << "";
    QTest::newRow("external entity")
        << QByteArray("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>"
                      "<r><GetProductDataResult><ProVersion>1&x;</ProVersion></GetProductDataResult></r>")
        << 0 << "1" << "";
    QByteArray deep;
    const int depth = int(UpdateService::kReplyCap / 7);
    deep.reserve(int(UpdateService::kReplyCap));
    deep += "<GetProductDataResult><ProVersion>7</ProVersion>";
    for (int i = 0; i < depth / 2 - 10; ++i)
        deep += "<a>";
    for (int i = 0; i < depth / 2 - 10; ++i)
        deep += "</a>";
    deep += "</GetProductDataResult>";
    QVERIFY(deep.size() <= UpdateService::kReplyCap);
    QTest::newRow("nested as deep as the cap allows") << deep << 0 << "7" << "";
}

void UpdateTest::replies()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, version);
    QFETCH(QString, fileName);
    const UpdateReply::ProductData reply = UpdateReply::parse(body);
    QCOMPARE(reply.code, code);
    if (code == 0) {
        QCOMPARE(reply.version, version);
        QCOMPARE(reply.fileName, fileName);
    }
}

void UpdateTest::hostileNames_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("version");
    QTest::newRow("quotes and markup") << "x.zip\"><a href=\"file:///bin/sh\">" << "5.2";
    QTest::newRow("parent folder") << "../../etc/passwd" << "5.2";
    QTest::newRow("javascript") << "javascript:alert(1)" << "5.2";
    QTest::newRow("blanks") << "pelto 5 setup.zip" << "5.2";
    QTest::newRow("hash, question mark, percent") << "a#b?c%41d.zip" << "5.2";
    QTest::newRow("non-ASCII") << QStringLiteral("pelto-\u00e4\u00f6\u00fc-\u65e5\u672c.zip") << "5.2";
    QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('n')) << "5.2";
    QTest::newRow("markup in the version") << "f.zip" << "6<b>x</b>&amp;<a\thref=\"http://evil.example/\">y</a>";
}

// One anchor, to the service host's /files/ and the encoded name; no injected
// markup shows; activating it hands exactly that URL to the browser.
void UpdateTest::hostileNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, version);
    ServiceStub stub(productData(version, fileName));
    pointAt(stub.url());
    UpdateDialog dialog(nullptr, nullptr);
    QSignalSpy finished(&dialog, &UpdateDialog::windowTitleChanged);
    dialog.startCheck(kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.label->isHidden(), 10000);
    QCOMPARE(dialog.currentRequest()->proFilename(), fileName);

    const QString text = dialog.label->text();
    const QStringList links = anchors(text);
    QCOMPARE(links.size(), 1);
    const QUrl link(links[0], QUrl::StrictMode);
    QCOMPARE(link.scheme(), QStringLiteral("http"));
    QCOMPARE(link.host(), QStringLiteral("127.0.0.1"));
    QCOMPARE(link.path(QUrl::FullyEncoded), QStringLiteral("/files/") + QString::fromLatin1(QUrl::toPercentEncoding(fileName)));
    QCOMPARE(link.path(QUrl::FullyDecoded), QStringLiteral("/files/") + fileName);
    QVERIFY(!link.hasQuery() && !link.hasFragment());
    const QString shown = QString(version).replace(QLatin1Char('\t'), QLatin1Char(' '));
    QVERIFY2(plainText(text).contains(QStringLiteral("Latest version: ") + shown), qPrintable(plainText(text)));

    emit dialog.label->linkActivated(links[0]);
    const QList<QUrl> opened = UrlCatcher::instance()->takeUrls();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], link);
}

void UpdateTest::foreignLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::newRow("another host") << "http://evil.example/files/x.zip";
    QTest::newRow("a local file") << "file:///bin/sh";
    QTest::newRow("javascript") << "javascript:alert(1)";
    QTest::newRow("a user on the service host") << "http://me@updates.vandrelith.invalid/files/x";
    QTest::newRow("ftp to the service host") << "ftp://updates.vandrelith.invalid/files/x";
}

void UpdateTest::foreignLinks()
{
    QFETCH(QString, link);
    UpdateDialog dialog(nullptr, nullptr);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^ignored a link")));
    dialog.linkClicked(link);
    QCOMPARE(UrlCatcher::instance()->takeUrls(), QList<QUrl>());
    dialog.linkClicked(QStringLiteral("https://") + kServiceHost + QStringLiteral("/files/x.zip"));
    QCOMPARE(UrlCatcher::instance()->takeUrls(), QList<QUrl>{QUrl(QStringLiteral("https://") + kServiceHost + QStringLiteral("/files/x.zip"))});
}

// An HTTP proxy receives the absolute URI of the service; the service host
// itself is never looked up.
void UpdateTest::httpProxy()
{
    ServiceStub proxy(productData("5.2.0"));
    useProxy(QNetworkProxy::HttpProxy, proxy.port());
    OrnSOAPRequest request(m_program.path());
    QVERIFY(request.usesProxy());
    QCOMPARE(codeOf(request), 0);
    QCOMPARE(proxy.requests.size(), 1);
    QCOMPARE(proxy.requests[0].requestLine,
             QByteArray("POST http://updates.vandrelith.invalid/services/ProductData.asmx HTTP/1.1"));
    QCOMPARE(request.proVersion(), QStringLiteral("5.2.0"));
}

void UpdateTest::httpProxyLogin()
{
    const QByteArray credentials = "Basic " + QByteArray("user:pass").toBase64();
    ServiceStub proxy([&](ServiceStub&, QTcpSocket* socket, const ReceivedRequest& request, int) {
        if (request.headers.value("proxy-authorization") == credentials)
            ServiceStub::reply(socket, 200, ServiceStub::productData("5.2.0"));
        else
            ServiceStub::reply(socket, 407, "login", "Proxy-Authenticate: Basic realm=\"stub\"\r\n");
    });
    useProxy(QNetworkProxy::HttpProxy, proxy.port(), QStringLiteral("user"), QStringLiteral("pass"));
    OrnSOAPRequest request(m_program.path());
    QCOMPARE(request.proxy().password(), QStringLiteral("pass"));
    QCOMPARE(codeOf(request), 0);
    QVERIFY(proxy.requests.size() >= 1);
    QCOMPARE(proxy.requests.last().headers.value("proxy-authorization"), credentials);
}

void UpdateTest::socksProxy_data()
{
    QTest::addColumn<QString>("user");
    QTest::newRow("without authentication") << "";
    QTest::newRow("with user and password") << "someone";
}

void UpdateTest::socksProxy()
{
    QFETCH(QString, user);
    ServiceStub service(productData("5.2.0"));
    Socks5Stub socks(service.port(), user.toUtf8(), QByteArray("secret"));
    useProxy(QNetworkProxy::Socks5Proxy, socks.port(), user, QStringLiteral("secret"));
    OrnSOAPRequest request(m_program.path());
    QCOMPARE(request.proxy().type(), QNetworkProxy::Socks5Proxy);
    QCOMPARE(codeOf(request), 0);
    QCOMPARE(socks.requestedHosts, QStringList{kServiceHost});
    QCOMPARE(socks.requestedPorts, QList<quint16>{80});
    QCOMPARE(socks.logins, user.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{user.toUtf8() + ":secret"});
    QCOMPARE(service.requests.size(), 1);
    QCOMPARE(request.proVersion(), QStringLiteral("5.2.0"));
}

void UpdateTest::refusingProxy()
{
    for (const auto type : {QNetworkProxy::HttpProxy, QNetworkProxy::Socks5Proxy}) {
        useProxy(type, LoopbackOnlyProxies::closedPort());
        OrnSOAPRequest request(m_program.path());
        QCOMPARE(codeOf(request), 9);
    }
}

void UpdateTest::flow_data()
{
    QTest::addColumn<bool>("forced");
    QTest::addColumn<QString>("checkUpdate");  // "-" for absent
    QTest::addColumn<QString>("latest");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("text");

    QTest::newRow("forced while off") << true << "0" << "5.1.1" << 1 << true << "Vend prod is up-to-date.";
    QTest::newRow("forced, an error") << true << "-" << "" << 1 << true << "rErrParse";
    QTest::newRow("automatic, absent") << false << "-" << "9.0" << 0 << false << "";
    QTest::newRow("automatic, off") << false << "0" << "9.0" << 0 << false << "";
    QTest::newRow("automatic, newer") << false << "1" << "9.0" << 1 << true << "A newer version";
    QTest::newRow("automatic, up to date") << false << "1" << "5.1.1" << 1 << false << "";
    QTest::newRow("automatic, an error") << false << "1" << "" << 1 << false << "";
    QTest::newRow("automatic, other value") << false << "2" << "9.0" << 1 << false << "";
    QTest::newRow("forced, silence") << true << "1" << "(silence)" << 1 << true << "rTimeout";
    QTest::newRow("automatic, silence") << false << "1" << "(silence)" << 1 << false << "";
}

// The checks as searchUpdate starts them: forced and automatic, shown or not,
// and every dialog gone afterwards.
void UpdateTest::flow()
{
    QFETCH(bool, forced);
    QFETCH(QString, checkUpdate);
    QFETCH(QString, latest);
    QFETCH(int, requests);
    QFETCH(bool, shown);
    QFETCH(QString, text);

    const bool silent = latest == QLatin1String("(silence)");
    ServiceStub stub(silent ? silence() : productData(latest));
    pointAt(stub.url(), silent ? 300 : 10000);
    KirrFramework framework(m_program.path());
    if (checkUpdate != QLatin1String("-"))
        framework.setPrefsValue(QStringLiteral("checkUpdate"), checkUpdate, false);

    QPointer<UpdateDialog> seen;
    QString label;
    bool wasShown = false;
    QObject guard;  // ends the watch with the test
    std::function<void()> watch = [&] {
        auto* dialog = qobject_cast<UpdateDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (!seen)
                QTimer::singleShot(5, &guard, watch);
            return;
        }
        seen = dialog;
        wasShown = true;
        if (dialog->label->isHidden()) {
            QTimer::singleShot(5, &guard, watch);
            return;
        }
        label = dialog->label->text();
        dialog->reject();
    };
    QTimer::singleShot(0, &guard, watch);
    framework.searchUpdate(nullptr, forced);
    QTRY_COMPARE_WITH_TIMEOUT(stub.requests.size(), requests, 10000);
    if (shown)
        QTRY_VERIFY_WITH_TIMEOUT(!label.isEmpty(), 10000);
    QTest::qWait(silent ? 600 : 50);
    QCOMPARE(wasShown, shown);
    QVERIFY2(text.isEmpty() ? label.isEmpty() : label.startsWith(text), qPrintable(label));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(seen.isNull());
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<UpdateDialog*>(widget));
}

// An automatic dialog that runs modally lets the splash screen's timer close it.
void UpdateTest::splashStillCloses()
{
    ServiceStub stub(productData("9.0"));
    pointAt(stub.url());
    KirrFramework framework(m_program.path());
    framework.setPrefsValue(QStringLiteral("checkUpdate"), QStringLiteral("1"), false);
    QPointer<SplashScreen> splash = new SplashScreen(QPixmap());
    bool splashGoneWhileModal = false;
    QObject guard;  // ends the watch with the test
    std::function<void()> watch = [&] {
        auto* dialog = qobject_cast<UpdateDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(5, &guard, watch);
            return;
        }
        splash->findChild<QTimer*>()->start(0);
        splashGoneWhileModal = QTest::qWaitFor([&] { return splash.isNull() || !splash->isVisible(); }, 5000);
        dialog->reject();
    };
    QTimer::singleShot(0, &guard, watch);
    startUpdateCheck(nullptr, &framework, {kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false});
    QTRY_VERIFY_WITH_TIMEOUT(splashGoneWhileModal, 10000);
    QTRY_VERIFY(splash.isNull());
}

// A request made current drops the last: its result never counts, and its
// connection is closed.
void UpdateTest::replacedRequestIsDropped()
{
    ServiceStub stub([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int index) {
        if (index > 0)  // the first request waits
            ServiceStub::reply(socket, 200, ServiceStub::productData(QStringLiteral("9.%1").arg(index)));
    });
    pointAt(stub.url());
    UpdateDialog dialog(nullptr, nullptr);
    dialog.startCheck(kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false);
    QPointer<OrnSOAPRequest> first = dialog.currentRequest();
    QSignalSpy firstFinished(first.data(), &OrnSOAPRequest::finishedVersionRequest);
    QTRY_COMPARE(stub.requests.size(), 1);
    dialog.checkBox_2->click();
    QVERIFY(dialog.currentRequest() != first);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.label->isHidden(), 10000);
    QVERIFY2(plainText(dialog.label->text()).contains(QStringLiteral("Latest version: 9.1")),
             qPrintable(dialog.label->text()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QCOMPARE(firstFinished.size(), 0);
    QTRY_VERIFY(stub.closedByClient >= 1);
}

// A dialog already shown takes a second newer-version result into its label
// and is not run again.
void UpdateTest::shownDialogRunsOnce()
{
    ServiceStub stub([](ServiceStub&, QTcpSocket* socket, const ReceivedRequest&, int index) {
        ServiceStub::reply(socket, 200, ServiceStub::productData(QStringLiteral("9.%1").arg(index)));
    });
    pointAt(stub.url());
    KirrFramework framework(m_program.path());
    framework.setPrefsValue(QStringLiteral("checkUpdate"), QStringLiteral("1"), false);
    int runs = 0;
    QString label;
    QObject guard;  // ends the watch with the test
    std::function<void()> watch = [&] {
        QTimer::singleShot(5, &guard, watch);  // watches on in the nested modal loops
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* proxy = qobject_cast<ProxyDialog*>(modal)) {
            proxy->buttonBox->button(QDialogButtonBox::Cancel)->click();
        } else if (auto* dialog = qobject_cast<UpdateDialog*>(modal)) {
            if (dialog->property("seen").isNull()) {
                dialog->setProperty("seen", true);
                ++runs;
                dialog->checkBox_2->click();  // runs the proxy dialog, then sends anew
            } else if (label.isEmpty() && plainText(dialog->label->text()).contains(QStringLiteral("9.1"))) {
                label = dialog->label->text();
                dialog->reject();
            }
        }
    };
    QTimer::singleShot(0, &guard, watch);
    startUpdateCheck(nullptr, &framework, {kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false});
    QTRY_VERIFY_WITH_TIMEOUT(!label.isEmpty(), 10000);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QTest::qWait(100);
    QCOMPARE(runs, 1);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(stub.requests.size(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<UpdateDialog*>(widget));
}

// Cancel in the proxy dialog unticks the box, and the next request goes direct.
void UpdateTest::proxyCancel()
{
    ServiceStub stub(productData("5.1.1"));
    pointAt(stub.url());
    KirrFramework framework(m_program.path());
    framework.setPrefsValue(QStringLiteral("checkUpdate"), QStringLiteral("2"), false);
    UpdateDialog dialog(nullptr, &framework);
    QVERIFY(!dialog.checkBox_2->isChecked());
    dialog.startCheck(kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false);
    QTRY_COMPARE(stub.requests.size(), 1);
    bool storedWhileOpen = false;
    whenModal([&](QDialog* modal) {
        auto* proxy = qobject_cast<ProxyDialog*>(modal);
        QVERIFY(proxy);
        storedWhileOpen = shared().value(QStringLiteral("puseproxy")).toBool();
        proxy->lineEditHost->setText(QStringLiteral("127.0.0.1"));
        proxy->lineEditPort->setText(QString::number(LoopbackOnlyProxies::closedPort()));
        proxy->buttonBox->button(QDialogButtonBox::Cancel)->click();
    });
    dialog.checkBox_2->click();
    QVERIFY(storedWhileOpen);
    QVERIFY(!dialog.checkBox_2->isChecked());
    QCOMPARE(shared().value(QStringLiteral("puseproxy")).toBool(), false);
    QVERIFY(!shared().contains(QStringLiteral("phost")));
    QTRY_COMPARE(stub.requests.size(), 2);
    QCOMPARE(stub.requests[1].requestLine, QByteArray("POST /services/ProductData.asmx HTTP/1.1"));
    QVERIFY(!dialog.currentRequest()->usesProxy());
}

void UpdateTest::proxyOk_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("login");
    QTest::addColumn<bool>("used");
    QTest::addColumn<QString>("storedType");

    QTest::newRow("HTTP with login") << "proxy.example.invalid" << "8080" << 0 << true << true << "HTTP";
    QTest::newRow("SOCKS 5, whatever the item says") << "127.0.0.1" << "1080" << 1 << false << true << "SOCKS5";
    QTest::newRow("port 65535") << "127.0.0.1" << "65535" << 0 << false << true << "HTTP";
    QTest::newRow("empty host") << "" << "8080" << 0 << true << false << "";
    QTest::newRow("empty port") << "127.0.0.1" << "" << 0 << true << false << "";
    QTest::newRow("port 0 is no port") << "127.0.0.1" << "0" << 0 << true << false << "";
}

// What pOK stores, and the proxy the next request makes of it.
void UpdateTest::proxyOk()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(int, type);
    QFETCH(bool, login);
    QFETCH(bool, used);
    QFETCH(QString, storedType);

    shared().setValue(QStringLiteral("puser"), QStringLiteral("earlier"));
    ProxyDialog dialog(nullptr, &shared());
    QCOMPARE(dialog.lineEditUser->text(), QStringLiteral("earlier"));
    QVERIFY(!dialog.lineEditUser->isEnabled());
    dialog.lineEditHost->setText(host);
    dialog.lineEditPort->setText(port);
    dialog.comboBoxType->setCurrentIndex(type);
    dialog.comboBoxType->setItemText(1, QStringLiteral("SOCKS 5 (\u00fcbersetzt)"));
    if (login)
        dialog.checkBoxNeedLogin->click();
    QCOMPARE(dialog.lineEditUser->isEnabled(), login);
    dialog.lineEditUser->setText(QStringLiteral("user"));
    dialog.lineEditPassword->setText(QStringLiteral("pw"));
    dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    QCOMPARE(shared().value(QStringLiteral("puseproxy")).toBool(), used);
    QCOMPARE(shared().value(QStringLiteral("phost")).toString(), used ? host : QString());
    QCOMPARE(shared().value(QStringLiteral("pport")).toString(), used ? port : QString());
    QCOMPARE(shared().value(QStringLiteral("ptype")).toString(), storedType);
    QCOMPARE(shared().value(QStringLiteral("puser")).toString(),
             used && login ? QStringLiteral("user") : QStringLiteral("earlier"));

    OrnSOAPRequest request(m_program.path());
    QCOMPARE(request.usesProxy(), used);
    if (used) {
        QCOMPARE(request.proxy().hostName(), host);
        QCOMPARE(request.proxy().port(), quint16(port.toUInt()));
        QCOMPARE(request.proxy().type(), type == 1 ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy);
        QCOMPARE(request.proxy().user(), login ? QStringLiteral("user") : QString());
        QCOMPARE(request.proxy().password(), login ? QStringLiteral("pw") : QString());
    }

    ProxyDialog again(nullptr, &shared());
    QCOMPARE(again.comboBoxType->currentIndex(), storedType == QLatin1String("SOCKS5") ? 1 : 0);
    again.reject();  // Escape or the close button
    QCOMPARE(shared().value(QStringLiteral("puseproxy")).toBool(), false);
    QCOMPARE(shared().value(QStringLiteral("phost")).toString(), used ? host : QString());
}

void UpdateTest::passwords_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("empty") << "";
    QTest::newRow("ASCII") << "secret";
    QTest::newRow("longer than the key") << "a fairly long pass phrase";
    QTest::newRow("non-ASCII") << QStringLiteral("p\u00e4\u00df w\u00f6rd \u20ac \u65e5\u672c");
}

void UpdateTest::passwords()
{
    QFETCH(QString, password);
    const QByteArray scrambled = UpdateService::scramblePassword(password);
    QCOMPARE(UpdateService::unscramblePassword(scrambled), password);
    QCOMPARE(scrambled.isEmpty(), password.isEmpty());
    QCOMPARE(UpdateService::scramblePassword(QStringLiteral("a")), QByteArray("NQ=="));  // 'a' ^ 'T'

    ProxyDialog dialog(nullptr, &shared());
    dialog.lineEditHost->setText(QStringLiteral("127.0.0.1"));
    dialog.lineEditPort->setText(QStringLiteral("3128"));
    dialog.checkBoxNeedLogin->click();
    dialog.lineEditUser->setText(QStringLiteral("user"));
    dialog.lineEditPassword->setText(password);
    dialog.pOK();
    QCOMPARE(shared().value(QStringLiteral("ppassword")).toByteArray(), scrambled);
    ProxyDialog again(nullptr, &shared());
    QCOMPARE(again.lineEditPassword->text(), password);
    OrnSOAPRequest request(m_program.path());
    QCOMPARE(request.proxy().password(), password);
}

void UpdateTest::storeIsPrivate_data()
{
    using Write = std::function<void(UpdateTest&)>;
    QTest::addColumn<Write>("write");
    QTest::addColumn<bool>("exists");  // a readable store is there before

    const auto proxyOk = [](bool login, const QString& host) {
        return Write([login, host](UpdateTest& test) {
            ProxyDialog dialog(nullptr, &test.shared());
            dialog.lineEditHost->setText(host);
            dialog.lineEditPort->setText(QStringLiteral("3128"));
            if (login)
                dialog.checkBoxNeedLogin->click();
            dialog.lineEditUser->setText(QStringLiteral("user"));
            dialog.lineEditPassword->setText(QStringLiteral("secret"));
            dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
            QCOMPARE(test.shared().value(QStringLiteral("ppassword")).toByteArray().isEmpty(), !login);
        });
    };
    const QList<QPair<const char*, Write>> writes = {
        {"proxy with password", proxyOk(true, QStringLiteral("127.0.0.1"))},
        {"proxy without login", proxyOk(false, QStringLiteral("127.0.0.1"))},
        {"proxy without host", proxyOk(false, QString())},
        {"proxy cancelled",
         [](UpdateTest& test) {
             ProxyDialog dialog(nullptr, &test.shared());
             dialog.reject();
         }},
        {"proxy box of the update dialog",
         [](UpdateTest& test) {
             ServiceStub stub(productData("5.1.1"));
             test.pointAt(stub.url());
             KirrFramework framework(test.m_program.path());
             UpdateDialog dialog(nullptr, &framework);
             whenModal([](QDialog* modal) { QVERIFY(qobject_cast<ProxyDialog*>(modal)); });
             dialog.checkBox_2->click();
             QTRY_COMPARE(stub.requests.size(), 1);
         }},
        {"shared preference of a host",
         [](UpdateTest& test) {
             KirrFramework framework(test.m_program.path());
             framework.setPrefsValue(QStringLiteral("hostKey"), QStringLiteral("v"), true);
         }},
    };
    for (const auto& write : writes) {
        QTest::addRow("%s, new store", write.first) << write.second << false;
        QTest::addRow("%s, store readable by all", write.first) << write.second << true;
    }
}

// Every road that writes the shared store leaves it its owner's alone, a new
// store and one that others could read before alike.
void UpdateTest::storeIsPrivate()
{
    using Write = std::function<void(UpdateTest&)>;
    QFETCH(Write, write);
    QFETCH(bool, exists);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;
    const QString path = shared().fileName();
    const mode_t umaskBefore = ::umask(022);
    if (exists) {
        shared().setValue(QStringLiteral("x"), 1);
        shared().sync();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    } else {
        QVERIFY(!QFileInfo::exists(path) || QFile::remove(path));
    }
    write(*this);
    shared().sync();
    ::umask(umaskBefore);
    QCOMPARE(shared().status(), QSettings::NoError);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(QFileInfo(path).permissions() & others, QFile::Permissions());
    QVERIFY(QFileInfo(path).permissions() & QFile::ReadOwner);
    QCOMPARE(shared().value(QStringLiteral("x")).toInt(), exists ? 1 : 0);
}

// The store is private before anything is written to it: a store made for it
// is empty and its owner's alone, whatever the umask allows.
void UpdateTest::storeIsPrivateFromTheStart()
{
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    const QString path = shared().fileName();
    QVERIFY(!QFileInfo::exists(path) || QFile::remove(path));
    const mode_t umaskBefore = ::umask(0);
    const bool restricted = UpdateService::restrictToOwner(shared());
    ::umask(umaskBefore);
    QVERIFY(restricted);
    QCOMPARE(QFileInfo(path).size(), qint64(0));
    QCOMPARE(QFileInfo(path).permissions() & ~userBits, ownerOnly);
    shared().setValue(QStringLiteral("ppassword"), UpdateService::scramblePassword(QStringLiteral("secret")));
    shared().sync();
    QCOMPARE(shared().status(), QSettings::NoError);
    QVERIFY(QFileInfo(path).size() > 0);
    QCOMPARE(QFileInfo(path).permissions() & ~userBits, ownerOnly);
}

// Without a style vendor the dialog (the framework's "Vandrelith") and the
// request (its own style lookup) still name the same store.
void UpdateTest::storeWithoutVendor()
{
    QTemporaryDir program;
    writeFile(program.path() + QStringLiteral("/Resources/style.xml"),
              styleXml({{"product", "prod"}, {"prefdomain", "nov"}}));
    KirrFramework framework(program.path());
    UpdateDialog dialog(nullptr, &framework);
    QSettings* store = dialog.sharedStore();
    QVERIFY(store);
    QCOMPARE(store->organizationName(), QStringLiteral("Vandrelith.nov"));
    store->setValue(QStringLiteral("puseproxy"), true);
    store->setValue(QStringLiteral("phost"), QStringLiteral("127.0.0.1"));
    store->setValue(QStringLiteral("pport"), QStringLiteral("3128"));
    store->sync();
    OrnSOAPRequest request(program.path());
    QVERIFY(request.usesProxy());
    QCOMPARE(request.proxy().port(), quint16(3128));
    store->clear();
    store->sync();
}

// A silent service holds nothing up: the event loop runs while the request
// waits, searchUpdate returns at once, and a forced dialog's bar moves on.
void UpdateTest::guiGoesOn()
{
    ServiceStub stub(silence());
    pointAt(stub.url(), 60000);
    KirrFramework framework(m_program.path());
    framework.setPrefsValue(QStringLiteral("checkUpdate"), QStringLiteral("1"), false);
    startUpdateCheck(nullptr, &framework, {kVendor, QStringLiteral("prod"), QStringLiteral("5.1.1"), QStringLiteral("VP-5"), false});
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    QTRY_VERIFY(fired && stub.requests.size() == 1);

    bool moved = false;
    whenModal([&](QDialog* modal) {
        auto* dialog = qobject_cast<UpdateDialog*>(modal);
        QVERIFY(dialog);
        bool zeroTimer = false;
        QTimer::singleShot(0, [&] { zeroTimer = true; });
        moved = QTest::qWaitFor([&] { return zeroTimer && dialog->progressBar->value() >= 10; }, 10000)
                && dialog->label->isHidden();
    });
    framework.searchUpdate(nullptr, true);
    QVERIFY(moved);
    QCOMPARE(stub.requests.size(), 2);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<UpdateDialog*>(widget))
            delete dialog;  // the automatic check still waits
    }
    QTRY_COMPARE(stub.closedByClient, 2);
}

// The forms as the rest of the program expects them.
void UpdateTest::forms()
{
    UpdateDialog update(nullptr, nullptr);
    QCOMPARE(update.objectName(), QStringLiteral("UpdateDialog"));
    QCOMPARE(update.minimumSize(), QSize(400, 200));
    QCOMPARE(update.maximumSize(), QSize(400, 200));
    QCOMPARE(update.windowTitle(), QStringLiteral("Nach Updates suchen..."));
    const Qt::WindowFlags flags = update.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint)));
    QVERIFY(update.label->isHidden());
    QVERIFY(!update.label->openExternalLinks());
    QCOMPARE(update.label->font().pixelSize(), 13);
    QCOMPARE(update.checkBox_2->text(), QStringLiteral("Proxy Server Konfiguration"));
    auto* timer = update.findChild<QTimer*>();
    QVERIFY(timer && timer->isActive() && !timer->isSingleShot());
    QCOMPARE(timer->interval(), 500);
    QList<int> values;
    for (int i = 0; i < 22; ++i) {
        update.processTimer();
        values.append(update.progressBar->value());
    }
    QCOMPARE(values.mid(0, 3), (QList<int>{5, 10, 15}));
    QCOMPARE(values.mid(19, 3), (QList<int>{100, 0, 5}));

    ProxyDialog proxy(nullptr, &shared());
    QCOMPARE(proxy.objectName(), QStringLiteral("ProxyDialog"));
    QCOMPARE(proxy.minimumSize(), QSize(400, 240));
    QCOMPARE(proxy.maximumSize(), QSize(400, 240));
    QCOMPARE(proxy.windowModality(), Qt::ApplicationModal);
    QCOMPARE(proxy.lineEditPassword->echoMode(), QLineEdit::Password);
    auto* validator = qobject_cast<const QIntValidator*>(proxy.lineEditPort->validator());
    QVERIFY(validator);
    QCOMPARE(validator->bottom(), 1);
    QCOMPARE(validator->top(), 65535);
    QCOMPARE(proxy.comboBoxType->count(), 2);
}

FRAMEWORK_TEST_MAIN(UpdateTest)
#include "test_update.moc"
