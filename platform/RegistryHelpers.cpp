#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Registry.h"

namespace platform::reg {

namespace {

constexpr std::uint32_t kDwordSize = sizeof(std::uint32_t);
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighSurrogateBase = 0xD800;
constexpr char16_t kLowSurrogateBase = 0xDC00;
constexpr char16_t kSurrogateMask = 0xFC00;

// wchar_t holds UTF-16 on Windows and UTF-32 here; the registry's layout is always UTF-16LE.
void appendUtf16(std::vector<std::uint8_t>& bytes, char16_t unit) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
}

void appendCodePoint(std::vector<std::uint8_t>& bytes, char32_t codePoint) {
    if (codePoint < kFirstSupplementary) {
        appendUtf16(bytes, static_cast<char16_t>(codePoint));
        return;
    }
    const char32_t offset = codePoint - kFirstSupplementary;
    appendUtf16(bytes, static_cast<char16_t>(kHighSurrogateBase + (offset >> 10)));
    appendUtf16(bytes, static_cast<char16_t>(kLowSurrogateBase + (offset & 0x3FF)));
}

void appendText(std::vector<std::uint8_t>& bytes, const std::wstring& text) {
    for (wchar_t ch : text) {
        if constexpr (sizeof(wchar_t) == 2) {
            appendUtf16(bytes, static_cast<char16_t>(ch));
        } else {
            appendCodePoint(bytes, static_cast<char32_t>(ch));
        }
    }
    appendUtf16(bytes, 0);
}

std::vector<char16_t> utf16Units(const std::uint8_t* data, std::uint32_t size) {
    std::vector<char16_t> units;
    if (data == nullptr) {
        return units;
    }
    units.reserve(size / 2);
    for (std::uint32_t i = 0; i + 1 < size; i += 2) {
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    return units;
}

bool isHighSurrogate(char16_t unit) {
    return (unit & kSurrogateMask) == kHighSurrogateBase;
}
bool isLowSurrogate(char16_t unit) {
    return (unit & kSurrogateMask) == kLowSurrogateBase;
}

// Appends the units [from, to) to `text`, joining surrogate pairs where wchar_t is 32 bits.
std::wstring textFromUnits(const std::vector<char16_t>& units, std::size_t from, std::size_t to) {
    std::wstring text;
    for (std::size_t i = from; i < to; ++i) {
        const char16_t unit = units[i];
        if constexpr (sizeof(wchar_t) == 4) {
            if (isHighSurrogate(unit) && i + 1 < to && isLowSurrogate(units[i + 1])) {
                const char32_t high = unit - kHighSurrogateBase;
                const char32_t low = units[i + 1] - kLowSurrogateBase;
                text.push_back(static_cast<wchar_t>(kFirstSupplementary + (high << 10) + low));
                ++i;
                continue;
            }
        }
        text.push_back(static_cast<wchar_t>(unit));
    }
    return text;
}

// Reads a value of any type into `bytes`, growing the buffer while another writer enlarges it.
win32::Error readBytes(RegistryKey& key, const std::wstring& name, std::uint32_t& type,
                       std::vector<std::uint8_t>& bytes) {
    std::uint32_t size = 0;
    win32::Error error = key.queryValue(name, &type, nullptr, &size);
    while (error == win32::kSuccess) {
        bytes.assign(size, 0);
        error = key.queryValue(name, &type, bytes.data(), &size);
        if (error == win32::kSuccess) {
            bytes.resize(size);
            return win32::kSuccess;
        }
        if (error == win32::kMoreData) {
            error = win32::kSuccess;
        }
    }
    return error;
}

win32::Error writeBytes(Registry& registry, RegistryRoot root, const std::wstring& path,
                        const std::wstring& name, std::uint32_t type,
                        const std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<RegistryKey> key;
    const win32::Error error = registry.createKey(root, path, kKeyWrite, key);
    if (error != win32::kSuccess) {
        return error;
    }
    return key->setValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace

std::vector<std::uint8_t> encodeString(const std::wstring& value) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((value.size() + 1) * 2);
    appendText(bytes, value);
    return bytes;
}

std::vector<std::uint8_t> encodeMultiString(const std::vector<std::wstring>& values) {
    std::vector<std::uint8_t> bytes;
    for (const std::wstring& value : values) {
        appendText(bytes, value);
    }
    appendUtf16(bytes, 0);
    return bytes;
}

// Stops at the first null: the stored size may or may not count the terminator.
std::wstring decodeString(const std::uint8_t* data, std::uint32_t size) {
    const std::vector<char16_t> units = utf16Units(data, size);
    std::size_t end = 0;
    while (end < units.size() && units[end] != 0) {
        ++end;
    }
    return textFromUnits(units, 0, end);
}

// The strings up to the empty one that ends the list (or the end of the data).
std::vector<std::wstring> decodeMultiString(const std::uint8_t* data, std::uint32_t size) {
    const std::vector<char16_t> units = utf16Units(data, size);
    std::vector<std::wstring> values;
    std::size_t start = 0;
    while (start < units.size()) {
        std::size_t end = start;
        while (end < units.size() && units[end] != 0) {
            ++end;
        }
        if (end == start) {
            break;
        }
        values.push_back(textFromUnits(units, start, end));
        start = end + 1;
    }
    return values;
}

namespace {

// Opens the key and reads one value's type and bytes.
win32::Error readValue(Registry& registry, RegistryRoot root, const std::wstring& path,
                       const std::wstring& name, std::uint32_t access, std::uint32_t& type,
                       std::vector<std::uint8_t>& bytes) {
    std::unique_ptr<RegistryKey> key;
    const win32::Error error = registry.openKey(root, path, access, key);
    if (error != win32::kSuccess) {
        return error;
    }
    return readBytes(*key, name, type, bytes);
}

}  // namespace

// A value of another type answers kInvalidData: the caller asked for text and there is none.
win32::Error readString(Registry& registry, RegistryRoot root, const std::wstring& path,
                        const std::wstring& name, std::wstring& value, std::uint32_t access) {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> bytes;
    const win32::Error error = readValue(registry, root, path, name, access, type, bytes);
    if (error != win32::kSuccess) {
        return error;
    }
    if (type != kRegSz && type != kRegExpandSz) {
        return win32::kInvalidData;
    }
    value = decodeString(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return win32::kSuccess;
}

win32::Error readDword(Registry& registry, RegistryRoot root, const std::wstring& path,
                       const std::wstring& name, std::uint32_t& value, std::uint32_t access) {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> bytes;
    const win32::Error error = readValue(registry, root, path, name, access, type, bytes);
    if (error != win32::kSuccess) {
        return error;
    }
    if (type != kRegDword || bytes.size() != kDwordSize) {
        return win32::kInvalidData;
    }
    value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
            (static_cast<std::uint32_t>(bytes[2]) << 16) |
            (static_cast<std::uint32_t>(bytes[3]) << 24);
    return win32::kSuccess;
}

win32::Error writeString(Registry& registry, RegistryRoot root, const std::wstring& path,
                         const std::wstring& name, const std::wstring& value, std::uint32_t type) {
    return writeBytes(registry, root, path, name, type, encodeString(value));
}

win32::Error writeDword(Registry& registry, RegistryRoot root, const std::wstring& path,
                        const std::wstring& name, std::uint32_t value) {
    const std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(value & 0xFF),
                                          static_cast<std::uint8_t>((value >> 8) & 0xFF),
                                          static_cast<std::uint8_t>((value >> 16) & 0xFF),
                                          static_cast<std::uint8_t>((value >> 24) & 0xFF)};
    return writeBytes(registry, root, path, name, kRegDword, bytes);
}

}  // namespace platform::reg
