// The registry through advapi32: keys are HKEYs closed by RAII, name lists grow their buffer
// until the longest name fits.
#include <windows.h>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueKey = Unique<HKEY, RegCloseKey>;

HKEY rootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::CurrentConfig:
            return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

// Registry calls answer their error instead of setting the last error.
Error fromStatus(LSTATUS status) {
    return static_cast<Error>(status);
}

// Only the view flags of an access mask matter when deleting a key.
constexpr std::uint32_t kViewFlags = kKeyWow64_32Key | kKeyWow64_64Key;

// The longest subkey or value name the key holds (RegQueryInfoKeyW), in characters.
Error longestNames(HKEY key, DWORD& subkeyLength, DWORD& valueLength) {
    return fromStatus(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &subkeyLength,
                                       nullptr, nullptr, &valueLength, nullptr, nullptr, nullptr));
}

// One name by index through RegEnumKeyExW or RegEnumValueW, growing the buffer while the name
// does not fit (a name may have been added since its length was asked).
template <class EnumOne>
Error enumerateNames(std::size_t initialLength, EnumOne enumOne, std::vector<std::wstring>& names) {
    names.clear();
    std::wstring buffer(initialLength + 1, L'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS status = enumOne(index, &buffer[0], &length);
        if (status == ERROR_NO_MORE_ITEMS) {
            return kSuccess;
        }
        if (status == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return fromStatus(status);
        }
        names.emplace_back(buffer.data(), length);
        ++index;
    }
}

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(UniqueKey key) : key_(std::move(key)) {}

    Error queryValue(const std::wstring& name, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* size) override {
        DWORD valueType = 0;
        DWORD valueSize = size != nullptr ? *size : 0;
        const LSTATUS status = RegQueryValueExW(key_.get(), name.c_str(), nullptr, &valueType, data,
                                                size != nullptr ? &valueSize : nullptr);
        if (type != nullptr) {
            *type = valueType;
        }
        if (size != nullptr) {
            *size = valueSize;
        }
        return fromStatus(status);
    }

    Error setValue(const std::wstring& name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) override {
        return fromStatus(RegSetValueExW(key_.get(), name.c_str(), 0, type, data, size));
    }

    Error deleteValue(const std::wstring& name) override {
        return fromStatus(RegDeleteValueW(key_.get(), name.c_str()));
    }

    Error subkeyNames(std::vector<std::wstring>& names) override {
        DWORD subkeyLength = 0, valueLength = 0;
        if (const Error error = longestNames(key_.get(), subkeyLength, valueLength)) {
            return error;
        }
        return enumerateNames(
            subkeyLength,
            [this](DWORD index, wchar_t* buffer, DWORD* length) {
                return RegEnumKeyExW(key_.get(), index, buffer, length, nullptr, nullptr, nullptr,
                                     nullptr);
            },
            names);
    }

    Error valueNames(std::vector<std::wstring>& names) override {
        DWORD subkeyLength = 0, valueLength = 0;
        if (const Error error = longestNames(key_.get(), subkeyLength, valueLength)) {
            return error;
        }
        return enumerateNames(
            valueLength,
            [this](DWORD index, wchar_t* buffer, DWORD* length) {
                return RegEnumValueW(key_.get(), index, buffer, length, nullptr, nullptr, nullptr,
                                     nullptr);
            },
            names);
    }

private:
    UniqueKey key_;
};

class Win32Registry final : public Registry {
public:
    Error openKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                  std::unique_ptr<RegistryKey>& key) override {
        HKEY opened = nullptr;
        const LSTATUS status = RegOpenKeyExW(rootKey(root), path.c_str(), 0, access, &opened);
        return adopt(status, opened, key);
    }

    Error createKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                    std::unique_ptr<RegistryKey>& key) override {
        HKEY created = nullptr;
        const LSTATUS status =
            RegCreateKeyExW(rootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            access, nullptr, &created, nullptr);
        return adopt(status, created, key);
    }

    Error deleteKey(RegistryRoot root, const std::wstring& path, std::uint32_t access) override {
        return fromStatus(RegDeleteKeyExW(rootKey(root), path.c_str(), access & kViewFlags, 0));
    }

    Error deleteTree(RegistryRoot root, const std::wstring& path) override {
        // With no subkey RegDeleteTreeW would empty the root itself.
        if (path.empty()) {
            return kInvalidParameter;
        }
        return fromStatus(RegDeleteTreeW(rootKey(root), path.c_str()));
    }

private:
    static Error adopt(LSTATUS status, HKEY opened, std::unique_ptr<RegistryKey>& key) {
        key.reset();
        if (status != ERROR_SUCCESS) {
            return fromStatus(status);
        }
        key = std::make_unique<Win32RegistryKey>(UniqueKey(opened));
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Registry> makeRegistry() {
    return std::make_unique<Win32Registry>();
}

}  // namespace platform::win32
