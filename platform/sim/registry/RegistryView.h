#pragma once

#include <QString>
#include <cstdint>

namespace platform::sim {

// The registry as a 32-bit program on 64-bit Windows sees it (WOW64's registry redirector):
// HKEY_LOCAL_MACHINE\SOFTWARE\X is HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node\X unless the key is
// opened with KEY_WOW64_64KEY, or X lies under one of the keys both views share. The key
// names are full names ("HKEY_LOCAL_MACHINE\SOFTWARE\Vendor"); the 32-bit view is taken for
// KEY_WOW64_32KEY or for no view flag at all.
QString keyNameIn32BitView(const QString& fullName, std::uint32_t access);

}  // namespace platform::sim
