#include "LocalPageServerTest.h"

#include "TestMain.h"

#include <httplib.h>

#include <QTest>

#include "TestProgramFolder.h"
#include "engine/LocalPageServer.h"

using webhost::LocalPageServer;

namespace {

constexpr const char* kLoopback = "127.0.0.1";

// Sends `path` exactly as written: no client-side encoding or dot-segment clean-up.
httplib::Result rawGet(int port, const QByteArray& path) {
    httplib::Client client(kLoopback, port);
    client.set_url_encode(false);
    return client.Get(path.constData());
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
    QVERIFY2(m_server->start(m_folder->path(), &error), qPrintable(error));
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
