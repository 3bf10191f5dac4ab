#include "Autostart.h"

#include <memory>

#include "platform/Platform.h"
#include "platform/Registry.h"

namespace webhost {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

platform::win32::Error openRunKey(std::uint32_t access,
                                  std::unique_ptr<platform::RegistryKey>& key) {
    return platform::registry().openKey(platform::RegistryRoot::CurrentUser, kRunKey, access, key);
}

}  // namespace

platform::win32::Error addToStartupList(const QString& valueName, const QString& commandLine) {
    std::unique_ptr<platform::RegistryKey> key;
    if (const auto error = openRunKey(platform::kKeySetValue, key))
        return error;
    // Stored with its terminating null: (characters + 1) * 2 bytes.
    const std::vector<std::uint8_t> data = platform::reg::encodeString(commandLine.toStdWString());
    return key->setValue(valueName.toStdWString(), platform::kRegSz, data.data(),
                         static_cast<std::uint32_t>(data.size()));
}

bool checkStartupList(const QString& valueName, const QString& commandLine) {
    std::wstring stored;
    const auto error =
        platform::reg::readString(platform::registry(), platform::RegistryRoot::CurrentUser,
                                  kRunKey, valueName.toStdWString(), stored);
    return error == platform::win32::kSuccess && stored == commandLine.toStdWString();
}

platform::win32::Error deleteFromStartupList(const QString& valueName) {
    std::unique_ptr<platform::RegistryKey> key;
    if (const auto error = openRunKey(platform::kKeyAllAccess, key))
        return error;
    return key->deleteValue(valueName.toStdWString());
}

}  // namespace webhost
