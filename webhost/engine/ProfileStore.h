#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QString>

class QWebEngineProfile;
class QWebEngineDownloadItem;

namespace webhost {

// The engine profiles of this process: one off-the-record profile for views without storage
// paths, and one persistent profile per distinct pair of local-storage and cookie paths. Each
// profile keeps a copy of its cookies (the cookie store only reports them by signal) and
// hands the downloads it would start to the page that asked for them.
class ProfileStore {
public:
    static ProfileStore& instance();

    // Qt keeps local storage and cookies in one storage folder per profile: the local-storage
    // path when one is given, else a folder named after the cookie file.
    QWebEngineProfile* profileFor(const QString& localStoragePath, const QString& cookiePath);

    // Where a view without storage paths keeps its local storage and cookies, as the engine's
    // own per-user storage; set before the first profile is made. Unset, such views keep
    // nothing beyond the process.
    void setDefaultStorageFolder(const QString& folder) { m_defaultStorageFolder = folder; }

    // Deletes every profile. Only once no page uses them any more: the engine must not outlive
    // the application object with pages on a released profile.
    void releaseProfiles();

    // The cookies of `profile` that a page of `host` would send, as "name=value; ...".
    QString cookieHeaderFor(QWebEngineProfile* profile, const QString& host) const;

private:
    struct Entry {
        QString key;
        QWebEngineProfile* profile = nullptr;
        QList<QNetworkCookie> cookies;
    };

    QWebEngineProfile* create(const QString& localStoragePath, const QString& cookiePath);
    void watch(QWebEngineProfile* profile);
    void forgetCookie(const QWebEngineProfile* profile, const QNetworkCookie& cookie);
    Entry* find(const QWebEngineProfile* profile);
    const Entry* find(const QWebEngineProfile* profile) const;

    QList<Entry> m_entries;
    QString m_defaultStorageFolder;
};

}  // namespace webhost
