#include "platform/sim/core/KnownFolders.h"

namespace platform::sim {

namespace {

constexpr KnownFolder kAllFolders[] = {
    KnownFolder::Documents,      KnownFolder::Downloads,    KnownFolder::Desktop,
    KnownFolder::RoamingAppData, KnownFolder::LocalAppData, KnownFolder::ProgramData,
    KnownFolder::ProgramFiles,   KnownFolder::Windows,      KnownFolder::System,
    KnownFolder::Fonts,
};

QString userFolder(const SystemFacts& facts, const char* below) {
    return QStringLiteral("C:\\Users\\%1\\%2").arg(facts.userName, QLatin1String(below));
}

}  // namespace

QString knownFolderPath(const SystemFacts& facts, KnownFolder folder) {
    switch (folder) {
        case KnownFolder::Documents:
            return userFolder(facts, "Documents");
        case KnownFolder::Downloads:
            return userFolder(facts, "Downloads");
        case KnownFolder::Desktop:
            return userFolder(facts, "Desktop");
        case KnownFolder::RoamingAppData:
            return userFolder(facts, "AppData\\Roaming");
        case KnownFolder::LocalAppData:
            return userFolder(facts, "AppData\\Local");
        case KnownFolder::ProgramData:
            return QStringLiteral("C:\\ProgramData");
        case KnownFolder::ProgramFiles:
            return facts.wow64 ? QStringLiteral("C:\\Program Files (x86)")
                               : QStringLiteral("C:\\Program Files");
        case KnownFolder::Windows:
            return QStringLiteral("C:\\Windows");
        case KnownFolder::System:
            return QStringLiteral("C:\\Windows\\system32");
        case KnownFolder::Fonts:
            return QStringLiteral("C:\\Windows\\Fonts");
    }
    return QString();
}

QString tempFolderPath(const SystemFacts& facts) {
    return userFolder(facts, "AppData\\Local\\Temp\\");
}

QStringList seededFolders(const SystemFacts& facts) {
    QStringList folders{QLatin1String(kSpoolFolder), tempFolderPath(facts),
                        QStringLiteral("C:\\Program Files")};
    for (KnownFolder folder : kAllFolders) {
        folders << knownFolderPath(facts, folder);
    }
    return folders;
}

}  // namespace platform::sim
