#pragma once

#include <QString>
#include <memory>

namespace webhost {

// Answers the engine's requests for the configured host from the program's html/ folder. The
// engine reaches it because its host resolver maps that host to this loopback listener, so the
// page keeps its own address and origin (relative loads, synchronous XHR and fetch() work).
// Files are served read-only and never from outside the program folder, and only to requests
// addressed to the served host or to the listener's own loopback address: a web page in a
// browser on this machine could otherwise point a name of its own at 127.0.0.1 (DNS rebinding)
// and read the program folder as its own origin.
//
// A second listener answers the fixed loopback test address (port 12222) with a constant body.
class LocalPageServer {
public:
    // The port of the loopback test address and what it answers.
    static constexpr int kTestPort = 12222;
    static constexpr const char* kTestBody = "\"test1111\"";
    static constexpr const char* kTestMimeType = "text/html";

    LocalPageServer();
    ~LocalPageServer();
    LocalPageServer(const LocalPageServer&) = delete;
    LocalPageServer& operator=(const LocalPageServer&) = delete;

    // The process-wide server the engine's host mapping points at.
    static LocalPageServer& instance();

    // Starts serving <programFolder>/html on 127.0.0.1 at a port chosen by the system, and the
    // test listener. `servedHost` is the configured host ("http://ui.local"; empty: only the
    // loopback address is answered). Answers false (and why) when the page listener cannot
    // start; a test port already in use is only logged. Starting again is a no-op that answers
    // true.
    bool start(const QString& programFolder, const QString& servedHost, QString* error);
    bool start(const QString& programFolder, QString* error) {
        return start(programFolder, QString(), error);
    }
    void stop();
    bool isRunning() const;
    int port() const;
    QString programFolder() const;

    // The file that answers `requestPath` (a decoded URL path such as "/index.html"): the file
    // under html/, else the same path one folder up (the program folder itself); empty when
    // neither exists or the path would leave the program folder.
    static QString resolve(const QString& programFolder, const QString& requestPath);

    // Whether a request with this Host header is answered: the served host's name (any port,
    // letter case ignored), or 127.0.0.1 / localhost with the listener's own port.
    static bool acceptsHost(const QString& hostHeader, const QString& servedHostName, int ownPort);

private:
    struct Listeners;
    std::unique_ptr<Listeners> m_listeners;
    QString m_programFolder;
};

}  // namespace webhost
