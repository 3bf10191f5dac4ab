#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Win32Error.h"

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser, CurrentConfig };

// Value types, numbered as REG_* are.
enum RegistryType : std::uint32_t {
    kRegNone = 0,
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
    kRegQword = 11,
};

// Access rights, numbered as KEY_* / KEY_WOW64_* are. The view flags are accepted everywhere;
// a backend without separate views ignores them.
enum RegistryAccess : std::uint32_t {
    kKeyQueryValue = 0x0001,
    kKeySetValue = 0x0002,
    kKeyCreateSubKey = 0x0004,
    kKeyEnumerateSubKeys = 0x0008,
    kKeyRead = 0x20019,
    kKeyWrite = 0x20006,
    kKeyAllAccess = 0xF003F,
    kKeyWow64_64Key = 0x0100,
    kKeyWow64_32Key = 0x0200,
};

// An open registry key. Closing happens in the destructor.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;

    // RegQueryValueExW: `data` may be null to ask for the size only. When the buffer is too small
    // the answer is kMoreData and *size holds the size needed. Strings are in the Windows layout:
    // UTF-16LE bytes with their terminating null(s).
    virtual win32::Error queryValue(const std::wstring& name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) = 0;
    virtual win32::Error setValue(const std::wstring& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) = 0;
    virtual win32::Error deleteValue(const std::wstring& name) = 0;
    // Names as stored (their original letter case).
    virtual win32::Error subkeyNames(std::vector<std::wstring>& names) = 0;
    virtual win32::Error valueNames(std::vector<std::wstring>& names) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExW: kFileNotFound when the key does not exist, kAccessDenied when the system
    // refuses the access asked for.
    virtual win32::Error openKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                                 std::unique_ptr<RegistryKey>& key) = 0;
    // RegCreateKeyExW: opens the key, creating it and its missing parents.
    virtual win32::Error createKey(RegistryRoot root, const std::wstring& path,
                                   std::uint32_t access, std::unique_ptr<RegistryKey>& key) = 0;
    // RegDeleteKeyExW: the key must have no subkeys (kAccessDenied otherwise).
    virtual win32::Error deleteKey(RegistryRoot root, const std::wstring& path,
                                   std::uint32_t access) = 0;
    // RegDeleteTreeW on the key itself: the key with everything below it.
    virtual win32::Error deleteTree(RegistryRoot root, const std::wstring& path) = 0;
};

// Typed helpers over the byte-level calls; they open, read or write, and close. (Named reg, not
// registry: a namespace cannot share its name with the accessor platform::registry().)
namespace reg {

win32::Error readString(Registry& registry, RegistryRoot root, const std::wstring& path,
                        const std::wstring& name, std::wstring& value,
                        std::uint32_t access = kKeyRead);
win32::Error readDword(Registry& registry, RegistryRoot root, const std::wstring& path,
                       const std::wstring& name, std::uint32_t& value,
                       std::uint32_t access = kKeyRead);
win32::Error writeString(Registry& registry, RegistryRoot root, const std::wstring& path,
                         const std::wstring& name, const std::wstring& value,
                         std::uint32_t type = kRegSz);
win32::Error writeDword(Registry& registry, RegistryRoot root, const std::wstring& path,
                        const std::wstring& name, std::uint32_t value);

// Conversions between typed values and the Windows byte layout.
std::vector<std::uint8_t> encodeString(const std::wstring& value);
std::vector<std::uint8_t> encodeMultiString(const std::vector<std::wstring>& values);
std::wstring decodeString(const std::uint8_t* data, std::uint32_t size);
std::vector<std::wstring> decodeMultiString(const std::uint8_t* data, std::uint32_t size);

}  // namespace reg

// The Registry of the system this process runs on (see Platform.h).
Registry& registry();

}  // namespace platform
