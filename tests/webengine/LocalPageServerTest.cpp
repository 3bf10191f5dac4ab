#include "LocalPageServerTest.h"

#include "TestMain.h"

#include <httplib.h>

#include <QTcpSocket>
#include <QTest>

#include "TestProgramFolder.h"
#include "engine/LocalPageServer.h"

using webhost::LocalPageServer;

namespace {

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kServedHost = "http://ui.corvanta.test";
constexpr int kWaitMs = 5000;

// Sends `path` exactly as written: no client-side encoding or dot-segment clean-up.
httplib::Result rawGet(int port, const QByteArray& path) {
    httplib::Client client(kLoopback, port);
    client.set_url_encode(false);
    return client.Get(path.constData());
}

// Sends one request with exactly these header lines and answers the status code (0: none).
int statusOfRawRequest(int port, const QByteArray& headerLines) {
    QTcpSocket socket;
    socket.connectToHost(QString::fromLatin1(kLoopback), static_cast<quint16>(port));
    if (!socket.waitForConnected(kWaitMs)) {
        return 0;
    }
    socket.write("GET /index.html HTTP/1.1\r\n" + headerLines + "Connection: close\r\n\r\n");
    QByteArray answer;
    while (!answer.contains("\r\n") && socket.waitForReadyRead(kWaitMs)) {
        answer += socket.readAll();
    }
    const QList<QByteArray> statusLine = answer.left(answer.indexOf("\r\n")).split(' ');
    return statusLine.size() > 1 ? statusLine[1].toInt() : 0;
}

}  // namespace

LocalPageServerTest::LocalPageServerTest() = default;
LocalPageServerTest::~LocalPageServerTest() = default;

void LocalPageServerTest::initTestCase() {
    m_folder = std::make_unique<TestProgramFolder>();
    m_folder->addFile(QStringLiteral("html/index.html"), "<p>page</p>");
    m_folder->addFile(QStringLiteral("html/sub/app.js"), "var a = 1;");
    m_folder->addFile(QStringLiteral("html/style.css"), "p {}");
    m_folder->addFile(QStringLiteral("beside.txt"), "one folder up");
    m_server = std::make_unique<LocalPageServer>();
    QString error;
    QVERIFY2(m_server->start(m_folder->path(), QString::fromLatin1(kServedHost), &error),
             qPrintable(error));
}

void LocalPageServerTest::requests_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("mimeType");

    const QByteArray outside = m_folder->outsideFilePath().toUtf8();
    QTest::newRow("file in html") << QByteArray("/index.html") << 200 << QByteArray("<p>page</p>")
                                  << QByteArray("text/html");
    QTest::newRow("script in subfolder")
        << QByteArray("/sub/app.js") << 200 << QByteArray("var a = 1;")
        << QByteArray("application/javascript");
    QTest::newRow("style sheet") << QByteArray("/style.css") << 200 << QByteArray("p {}")
                                 << QByteArray("text/css");
    QTest::newRow("encoded name") << QByteArray("/%69ndex.html") << 200 << QByteArray("<p>page</p>")
                                  << QByteArray("text/html");
    QTest::newRow("one folder up") << QByteArray("/beside.txt") << 200
                                   << QByteArray("one folder up") << QByteArray("text/plain");
    QTest::newRow("dot segments staying inside")
        << QByteArray("/sub/../index.html") << 200 << QByteArray("<p>page</p>")
        << QByteArray("text/html");
    QTest::newRow("missing") << QByteArray("/missing.html") << 404 << QByteArray() << QByteArray();
    QTest::newRow("folder") << QByteArray("/sub") << 404 << QByteArray() << QByteArray();
    QTest::newRow("dot-dot out") << QByteArray("/../../outside.txt") << 404 << QByteArray()
                                 << QByteArray();
    QTest::newRow("encoded dot-dot")
        << QByteArray("/%2e%2e/%2e%2e/outside.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("encoded slash")
        << QByteArray("/..%2f..%2foutside.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("absolute path") << "/" + outside << 404 << QByteArray() << QByteArray();
    QTest::newRow("encoded absolute path")
        << "/%2F" + outside.mid(1) << 404 << QByteArray() << QByteArray();
    QTest::newRow("backslashes") << QByteArray("/..\\..\\outside.txt") << 404 << QByteArray()
                                 << QByteArray();
    QTest::newRow("encoded backslashes")
        << QByteArray("/..%5c..%5coutside.txt") << 404 << QByteArray() << QByteArray();
    QTest::newRow("drive letter") << QByteArray("/C:/outside.txt") << 404 << QByteArray()
                                  << QByteArray();
}

void LocalPageServerTest::requests() {
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, mimeType);

    const httplib::Result result = rawGet(m_server->port(), path);
    QVERIFY2(result, "no answer from the page server");
    QCOMPARE(result->status, status);
    if (status == 200) {
        QCOMPARE(QByteArray::fromStdString(result->body), body);
        QCOMPARE(QByteArray::fromStdString(result->get_header_value("Content-Type")), mimeType);
    } else {
        QVERIFY(!QByteArray::fromStdString(result->body).contains("secret"));
    }
}

void LocalPageServerTest::onlyOwnHostsAreAnswered_data() {
    QTest::addColumn<QByteArray>("host");  // the Host header's value; "-": no Host header
    QTest::addColumn<int>("status");

    const QByteArray port = QByteArray::number(m_server->port());
    QTest::newRow("served host") << QByteArray("ui.corvanta.test") << 200;
    QTest::newRow("served host, other case, port") << "UI.Corvanta.Test:" + port << 200;
    QTest::newRow("own address") << "127.0.0.1:" + port << 200;
    QTest::newRow("loopback name, own port") << "localhost:" + port << 200;
    QTest::newRow("own address, other port") << QByteArray("127.0.0.1:1") << 403;
    QTest::newRow("own address without port") << QByteArray("127.0.0.1") << 403;
    QTest::newRow("rebound name") << "rebind.corvanta.invalid:" + port << 403;
    QTest::newRow("served host as prefix") << QByteArray("ui.corvanta.test.invalid") << 403;
    QTest::newRow("served host as suffix") << QByteArray("evil-ui.corvanta.test") << 403;
    QTest::newRow("IPv6 loopback") << "[::1]:" + port << 403;
    QTest::newRow("empty") << QByteArray("") << 403;
    QTest::newRow("missing") << QByteArray("-") << 403;
}

// A page of another origin that got its name resolved to the loopback address reaches the
// listener with its own name as Host, and is refused before any file is read.
void LocalPageServerTest::onlyOwnHostsAreAnswered() {
    QFETCH(QByteArray, host);
    QFETCH(int, status);
    const QByteArray header = host == "-" ? QByteArray() : "Host: " + host + "\r\n";
    QCOMPARE(statusOfRawRequest(m_server->port(), header), status);
}

void LocalPageServerTest::hostRule_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("servedHost");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("no served host, its name") << "ui.local"
                                              << "" << false;
    QTest::newRow("no served host, own address") << "127.0.0.1:4000"
                                                 << "" << true;
    QTest::newRow("port not a number") << "127.0.0.1:40x0"
                                       << "" << false;
    QTest::newRow("colon only") << ":"
                                << "ui.local" << false;
    QTest::newRow("served host, empty port") << "ui.local:"
                                             << "ui.local" << true;
}

void LocalPageServerTest::hostRule() {
    QFETCH(QString, header);
    QFETCH(QString, servedHost);
    QFETCH(bool, accepted);
    QCOMPARE(LocalPageServer::acceptsHost(header, servedHost, 4000), accepted);
}

// Another server of this process may own the test port already; whichever does must answer.
void LocalPageServerTest::testAddressAnswersConstantBody() {
    const httplib::Result result = rawGet(LocalPageServer::kTestPort, "/any/path?x=1");
    QVERIFY2(result, "nothing answers on the test port");
    QCOMPARE(result->status, 200);
    QCOMPARE(QByteArray::fromStdString(result->body), QByteArray("\"test1111\""));
    QCOMPARE(result->body.size(), size_t(10));
    QCOMPARE(QByteArray::fromStdString(result->get_header_value("Content-Type")),
             QByteArray("text/html"));
}

namespace {
const bool registered = registerTest<LocalPageServerTest>("LocalPageServerTest");
}  // namespace
