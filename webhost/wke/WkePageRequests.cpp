#include "WkePageRequests.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QUrl>

#include "../engine/LocalPagePath.h"
#include "WkeLibrary.h"

namespace webhost::wke {

Q_LOGGING_CATEGORY(lcRequests, "corvanta.webhost.requests")

namespace {

// The loopback test address and its answer.
constexpr const char* kTestHost = "127.0.0.1";
constexpr int kTestPort = 12222;
constexpr const char* kTestBody = "\"test1111\"";
constexpr const char* kTestMimeType = "text/html";

struct Served {
    QString programFolder;
    QUrl host;
};

Served& served() {
    static Served instance;
    return instance;
}

bool sameSite(const QUrl& url, const QUrl& site) {
    return !site.host().isEmpty() &&
           url.scheme().compare(site.scheme(), Qt::CaseInsensitive) == 0 &&
           url.host().compare(site.host(), Qt::CaseInsensitive) == 0 && url.port() == site.port();
}

bool isTestAddress(const QUrl& url) {
    return url.scheme() == QLatin1String("http") && url.host() == QLatin1String(kTestHost) &&
           url.port() == kTestPort;
}

QByteArray mimeTypeFor(const QString& path) {
    static const QMimeDatabase database;
    return database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
}

}  // namespace

void servePagesFrom(const QString& programFolder, const QString& servedHost) {
    served().programFolder = programFolder;
    served().host = QUrl(servedHost.trimmed());
}

LocalAnswer answerLocally(const QByteArray& url) {
    const QUrl address = QUrl::fromEncoded(url);
    LocalAnswer answer;
    if (isTestAddress(address)) {
        answer = {true, kTestMimeType, kTestBody};
        return answer;
    }
    if (!address.isValid() || !sameSite(address, served().host)) {
        return answer;
    }
    const QString path = resolveLocalPage(served().programFolder, address.path(QUrl::FullyDecoded));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcRequests) << "not served here:" << url;
        return answer;
    }
    answer = {true, mimeTypeFor(path), file.readAll()};
    return answer;
}

// The engine copies the data it is handed before this returns.
bool CORVANTA_WKE_CALL onLoadUrlBegin(View, void*, const char* url, NetJob job) {
    LocalAnswer answer = answerLocally(QByteArray(url ? url : ""));
    const Api& e = api();
    if (!answer.answered || !e.wkeNetSetMIMEType || !e.wkeNetSetData) {
        return false;
    }
    e.wkeNetSetMIMEType(job, answer.mimeType.constData());
    e.wkeNetSetData(job, answer.body.data(), answer.body.size());
    return true;
}

}  // namespace webhost::wke
