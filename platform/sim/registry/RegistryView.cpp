#include "platform/sim/registry/RegistryView.h"

#include <QStringList>

#include "platform/Registry.h"

namespace platform::sim {

namespace {

constexpr const char* kSoftware = "HKEY_LOCAL_MACHINE\\SOFTWARE";
constexpr const char* kRedirectedFolder = "WOW6432Node";

// Keys under HKEY_LOCAL_MACHINE\SOFTWARE that are one key in both views (Windows 7 and later).
// HKLM\SOFTWARE\Classes is partly redirected on Windows; here it is shared as a whole.
const QStringList kSharedKeys = {
    QStringLiteral("Classes"),
    QStringLiteral("Policies"),
    QStringLiteral("RegisteredApplications"),
    QStringLiteral("Microsoft\\Cryptography\\Services"),
    QStringLiteral("Microsoft\\DFS"),
    QStringLiteral("Microsoft\\EventSystem"),
    QStringLiteral("Microsoft\\MSMQ"),
    QStringLiteral("Microsoft\\OLE"),
    QStringLiteral("Microsoft\\RAS"),
    QStringLiteral("Microsoft\\RPC"),
    QStringLiteral("Microsoft\\SystemCertificates"),
    QStringLiteral("Microsoft\\Windows\\CurrentVersion\\App Paths"),
    QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Group Policy"),
    QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Policies"),
    QStringLiteral("Microsoft\\Windows\\CurrentVersion\\Setup"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Console"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Fonts"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Perflib"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Ports"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Print"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\ProfileList"),
    QStringLiteral("Microsoft\\Windows NT\\CurrentVersion\\Time Zones"),
};

// `path` is `key` or lies below it (letter case ignored).
bool isAtOrBelow(const QString& path, const QString& key) {
    return path.compare(key, Qt::CaseInsensitive) == 0 ||
           path.startsWith(key + QLatin1Char('\\'), Qt::CaseInsensitive);
}

bool isShared(const QString& relative) {
    for (const QString& key : kSharedKeys) {
        if (isAtOrBelow(relative, key)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString keyNameIn32BitView(const QString& fullName, std::uint32_t access) {
    const QString software = QString::fromLatin1(kSoftware);
    const bool wants64 = (access & kKeyWow64_64Key) != 0 && (access & kKeyWow64_32Key) == 0;
    if (wants64 || !isAtOrBelow(fullName, software)) {
        return fullName;
    }
    const QString relative = fullName.mid(software.size() + 1);
    if (isAtOrBelow(relative, QString::fromLatin1(kRedirectedFolder)) || isShared(relative)) {
        return fullName;
    }
    const QString redirected = software + QLatin1Char('\\') + QLatin1String(kRedirectedFolder);
    return relative.isEmpty() ? redirected : redirected + QLatin1Char('\\') + relative;
}

}  // namespace platform::sim
