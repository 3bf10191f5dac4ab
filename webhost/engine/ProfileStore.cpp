#include "ProfileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWebEngineCookieStore>
#include <QWebEngineDownloadItem>
#include <QWebEngineProfile>
#include <algorithm>

#include "BridgePage.h"
#include "ExecSchemeHandler.h"

namespace webhost {

namespace {

constexpr const char* kCookieFolderSuffix = ".d";

QString storageFolder(const QString& localStoragePath, const QString& cookiePath) {
    return !localStoragePath.isEmpty() ? localStoragePath : cookiePath + kCookieFolderSuffix;
}

bool domainMatches(const QString& host, const QString& cookieDomain) {
    const QString domain = cookieDomain.startsWith('.') ? cookieDomain.mid(1) : cookieDomain;
    return host.compare(domain, Qt::CaseInsensitive) == 0 ||
           host.endsWith('.' + domain, Qt::CaseInsensitive);
}

bool sameCookie(const QNetworkCookie& a, const QNetworkCookie& b) {
    return a.name() == b.name() && a.domain() == b.domain() && a.path() == b.path();
}

}  // namespace

ProfileStore& ProfileStore::instance() {
    static ProfileStore store;
    return store;
}

QWebEngineProfile* ProfileStore::profileFor(const QString& localStoragePath,
                                            const QString& cookiePath) {
    const QString key = localStoragePath + QChar(0) + cookiePath;
    for (const Entry& entry : m_entries) {
        if (entry.key == key) {
            return entry.profile;
        }
    }
    Entry entry;
    entry.key = key;
    entry.profile = create(localStoragePath, cookiePath);
    m_entries.append(entry);
    watch(entry.profile);
    return entry.profile;
}

// Profiles live until releaseProfiles(), at the latest with the application.
QWebEngineProfile* ProfileStore::create(const QString& localStoragePath,
                                        const QString& cookiePath) {
    const bool engineDefault = localStoragePath.isEmpty() && cookiePath.isEmpty();
    if (engineDefault && m_defaultStorageFolder.isEmpty()) {
        return new QWebEngineProfile(QCoreApplication::instance());  // off the record
    }
    const QString folder = QFileInfo(engineDefault ? m_defaultStorageFolder
                                                   : storageFolder(localStoragePath, cookiePath))
                               .absoluteFilePath();
    QDir().mkpath(folder);
    auto* profile =
        new QWebEngineProfile(QFileInfo(folder).fileName(), QCoreApplication::instance());
    profile->setPersistentStoragePath(folder);
    profile->setCachePath(folder + QStringLiteral("/Cache"));
    // A cookie file of its own keeps session cookies too; without one the engine keeps
    // cookies as a browser does, the persistent ones across runs.
    profile->setPersistentCookiesPolicy(cookiePath.isEmpty()
                                            ? QWebEngineProfile::AllowPersistentCookies
                                            : QWebEngineProfile::ForcePersistentCookies);
    return profile;
}

void ProfileStore::releaseProfiles() {
    while (!m_entries.isEmpty()) {
        delete m_entries.takeLast().profile;
    }
}

void ProfileStore::watch(QWebEngineProfile* profile) {
    profile->installUrlSchemeHandler(ExecSchemeHandler::kScheme, new ExecSchemeHandler(profile));
    QWebEngineCookieStore* cookies = profile->cookieStore();
    QObject::connect(cookies, &QWebEngineCookieStore::cookieAdded, profile,
                     [this, profile](const QNetworkCookie& cookie) {
                         forgetCookie(profile, cookie);
                         find(profile)->cookies.append(cookie);
                     });
    QObject::connect(
        cookies, &QWebEngineCookieStore::cookieRemoved, profile,
        [this, profile](const QNetworkCookie& cookie) { forgetCookie(profile, cookie); });
    cookies->loadAllCookies();
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadItem* download) {
                         if (auto* page = qobject_cast<BridgePage*>(download->page())) {
                             page->reportDownload(download->url());
                         }
                         download->cancel();
                     });
}

void ProfileStore::forgetCookie(const QWebEngineProfile* profile, const QNetworkCookie& cookie) {
    QList<QNetworkCookie>& cookies = find(profile)->cookies;
    cookies.erase(
        std::remove_if(cookies.begin(), cookies.end(),
                       [&cookie](const QNetworkCookie& kept) { return sameCookie(kept, cookie); }),
        cookies.end());
}

QString ProfileStore::cookieHeaderFor(QWebEngineProfile* profile, const QString& host) const {
    const Entry* entry = find(profile);
    QStringList pairs;
    for (const QNetworkCookie& cookie : entry ? entry->cookies : QList<QNetworkCookie>()) {
        if (domainMatches(host, cookie.domain())) {
            pairs.append(QString::fromUtf8(cookie.name() + '=' + cookie.value()));
        }
    }
    return pairs.join(QStringLiteral("; "));
}

ProfileStore::Entry* ProfileStore::find(const QWebEngineProfile* profile) {
    for (Entry& entry : m_entries) {
        if (entry.profile == profile) {
            return &entry;
        }
    }
    return nullptr;
}

const ProfileStore::Entry* ProfileStore::find(const QWebEngineProfile* profile) const {
    return const_cast<ProfileStore*>(this)->find(profile);
}

}  // namespace webhost
