#include "LocalPageServer.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <chrono>
#include <thread>

#include "EngineStartup.h"
#include "LocalPagePath.h"

namespace webhost {

Q_LOGGING_CATEGORY(lcPageServer, "corvanta.webhost.pageserver")

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";
constexpr const char* kLoopbackName = "localhost";
constexpr int kStartWaitMs = 1000;
// A request for another host is refused as a whole, before any path is looked at.
constexpr int kStatusForbidden = 403;

// One HTTP listener on its own thread; stopping joins the thread.
class Listener {
public:
    httplib::Server server;

    bool bindAnyPort() {
        m_port = server.bind_to_any_port(kLoopbackAddress);
        return m_port > 0;
    }
    bool bindPort(int port) {
        m_port = server.bind_to_port(kLoopbackAddress, port) ? port : -1;
        return m_port > 0;
    }
    // Returns once the listener accepts, so that an immediate stop() cannot be missed by a
    // thread that has not started listening yet.
    void run() {
        m_thread = std::thread([this] { server.listen_after_bind(); });
        for (int waited = 0; !server.is_running() && waited < kStartWaitMs; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    int port() const { return m_port; }

    ~Listener() {
        server.stop();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

private:
    std::thread m_thread;
    int m_port = -1;
};

QString mimeTypeFor(const QString& path) {
    static const QMimeDatabase database;
    return database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
}

void answerFile(const QString& folder, const QString& servedHostName, int port,
                const httplib::Request& request, httplib::Response& response) {
    const QString hostHeader = QString::fromStdString(request.get_header_value("Host"));
    if (!LocalPageServer::acceptsHost(hostHeader, servedHostName, port)) {
        qCDebug(lcPageServer) << "refused for host" << hostHeader << request.path.c_str();
        response.status = kStatusForbidden;
        return;
    }
    const QString path = LocalPageServer::resolve(folder, QString::fromUtf8(request.path.c_str()));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcPageServer) << "not served:" << request.path.c_str();
        response.status = 404;
        return;
    }
    const QByteArray content = file.readAll();
    response.set_content(content.constData(), static_cast<size_t>(content.size()),
                         mimeTypeFor(path).toStdString().c_str());
}

}  // namespace

struct LocalPageServer::Listeners {
    Listener pages;
    std::unique_ptr<Listener> test;
};

LocalPageServer::LocalPageServer() = default;
LocalPageServer::~LocalPageServer() = default;

LocalPageServer& LocalPageServer::instance() {
    static LocalPageServer server;
    return server;
}

bool LocalPageServer::start(const QString& programFolder, const QString& servedHost,
                            QString* error) {
    if (m_listeners) {
        return true;
    }
    auto listeners = std::make_unique<Listeners>();
    const QString folder = QDir(programFolder).absolutePath();
    const QString hostName = startup::hostNameOf(servedHost);
    Listener* pages = &listeners->pages;
    listeners->pages.server.Get(".*",
                                [folder, hostName, pages](const auto& request, auto& response) {
                                    answerFile(folder, hostName, pages->port(), request, response);
                                });
    if (!listeners->pages.bindAnyPort()) {
        if (error) {
            *error = QStringLiteral("the local page server cannot listen on %1")
                         .arg(QLatin1String(kLoopbackAddress));
        }
        return false;
    }
    listeners->pages.run();

    listeners->test = std::make_unique<Listener>();
    listeners->test->server.Get(
        ".*", [](const auto&, auto& response) { response.set_content(kTestBody, kTestMimeType); });
    if (listeners->test->bindPort(kTestPort)) {
        listeners->test->run();
    } else {
        qCWarning(lcPageServer) << "test address port" << kTestPort << "is in use; not answered";
        listeners->test.reset();
    }
    m_programFolder = folder;
    m_listeners = std::move(listeners);
    qCDebug(lcPageServer) << "serving" << folder << "on port" << port();
    return true;
}

void LocalPageServer::stop() {
    m_listeners.reset();
}

bool LocalPageServer::isRunning() const {
    return m_listeners != nullptr;
}

int LocalPageServer::port() const {
    return m_listeners ? m_listeners->pages.port() : -1;
}

QString LocalPageServer::programFolder() const {
    return m_programFolder;
}

bool LocalPageServer::acceptsHost(const QString& hostHeader, const QString& servedHostName,
                                  int ownPort) {
    // "name" or "name:port"; a bracketed IPv6 literal never names this IPv4 listener.
    const int colon = hostHeader.lastIndexOf(':');
    const QString name = (colon < 0 ? hostHeader : hostHeader.left(colon)).toLower();
    if (name.isEmpty()) {
        return false;
    }
    if (!servedHostName.isEmpty() && name == servedHostName.toLower()) {
        return true;
    }
    bool portOk = false;
    const int port = colon < 0 ? -1 : hostHeader.mid(colon + 1).toInt(&portOk);
    const bool loopbackName =
        name == QLatin1String(kLoopbackAddress) || name == QLatin1String(kLoopbackName);
    return loopbackName && portOk && ownPort > 0 && port == ownPort;
}

QString LocalPageServer::resolve(const QString& programFolder, const QString& requestPath) {
    return resolveLocalPage(programFolder, requestPath);
}

}  // namespace webhost
