#include "platform/sim/system/SimSystemInfo.h"

#include "platform/sim/core/KnownFolders.h"

namespace platform::sim {

std::wstring SimSystemInfo::tempFolder() const {
    return tempFolderPath(m_facts).toStdWString();
}

std::wstring SimSystemInfo::knownFolder(KnownFolder folder) const {
    return knownFolderPath(m_facts, folder).toStdWString();
}

}  // namespace platform::sim
