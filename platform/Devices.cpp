#include "Devices.h"

#include <atomic>
#include <cwctype>

namespace platform {

namespace {

constexpr int kGuidTextLength = 38;  // {8-4-4-4-12}

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// The value of `digits` hexadecimal digits at `text[at]`; false when one is not a digit.
bool readHex(const std::wstring& text, std::size_t at, int digits, std::uint64_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = hexDigit(text[at + static_cast<std::size_t>(i)]);
        if (digit < 0)
            return false;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return true;
}

void appendHex(std::wstring& out, std::uint64_t value, int digits) {
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.push_back(kDigits[(value >> shift) & 0xF]);
}

constexpr Guid guid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint8_t a,
                    std::uint8_t b, std::uint8_t c, std::uint8_t d, std::uint8_t e, std::uint8_t f,
                    std::uint8_t g, std::uint8_t h) {
    return Guid{d1, d2, d3, {a, b, c, d, e, f, g, h}};
}

// The property sets of devpkey.h.
constexpr Guid kNameSet =
    guid(0xb725f130, 0x47ef, 0x101a, 0xa5, 0xf1, 0x02, 0x60, 0x8c, 0x9e, 0xeb, 0xac);
constexpr Guid kDeviceSet =
    guid(0xa45c254e, 0xdf1c, 0x4efd, 0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0);
constexpr Guid kInstanceSet =
    guid(0x78c34fc8, 0x104a, 0x4aca, 0x9e, 0xa4, 0x52, 0x4d, 0x52, 0x99, 0x6e, 0x57);
constexpr Guid kNodeSet =
    guid(0x4340a6c5, 0x93fa, 0x4706, 0x97, 0x2c, 0x7b, 0x64, 0x80, 0x08, 0xa5, 0xa7);
constexpr Guid kContainerSet =
    guid(0x8c7ed206, 0x3f8a, 0x4827, 0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c);
constexpr Guid kBusSet =
    guid(0x540b947e, 0x8b40, 0x45bc, 0xa8, 0xa2, 0x6a, 0x0b, 0x89, 0x4c, 0xbd, 0xa2);
constexpr Guid kDriverSet =
    guid(0xa8b865dd, 0x2e3d, 0x4094, 0xad, 0x97, 0xe5, 0x93, 0xa7, 0x0c, 0x75, 0xd6);
constexpr Guid kInterfaceSet =
    guid(0x026e516e, 0xb814, 0x414b, 0x83, 0xcd, 0x85, 0x6d, 0x6f, 0xef, 0x48, 0x22);

std::atomic<DeviceChangeSink*> g_sink{nullptr};

}  // namespace

bool Guid::isNull() const {
    return *this == Guid();
}

bool Guid::operator==(const Guid& other) const {
    if (data1 != other.data1 || data2 != other.data2 || data3 != other.data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (data4[i] != other.data4[i])
            return false;
    }
    return true;
}

std::wstring Guid::toString() const {
    std::wstring out = L"{";
    appendHex(out, data1, 8);
    out += L'-';
    appendHex(out, data2, 4);
    out += L'-';
    appendHex(out, data3, 4);
    out += L'-';
    appendHex(out, data4[0], 2);
    appendHex(out, data4[1], 2);
    out += L'-';
    for (int i = 2; i < 8; ++i)
        appendHex(out, data4[i], 2);
    out += L'}';
    return out;
}

bool Guid::parse(const std::wstring& text, Guid& result) {
    if (text.size() != kGuidTextLength || text.front() != L'{' || text.back() != L'}' ||
        text[9] != L'-' || text[14] != L'-' || text[19] != L'-' || text[24] != L'-')
        return false;
    Guid parsed;
    std::uint64_t value = 0;
    if (!readHex(text, 1, 8, value))
        return false;
    parsed.data1 = static_cast<std::uint32_t>(value);
    if (!readHex(text, 10, 4, value))
        return false;
    parsed.data2 = static_cast<std::uint16_t>(value);
    if (!readHex(text, 15, 4, value))
        return false;
    parsed.data3 = static_cast<std::uint16_t>(value);
    const std::size_t byteOffsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        if (!readHex(text, byteOffsets[i], 2, value))
            return false;
        parsed.data4[i] = static_cast<std::uint8_t>(value);
    }
    result = parsed;
    return true;
}

namespace devpkey {
const DevPropKey kName{kNameSet, 10};
const DevPropKey kDeviceDesc{kDeviceSet, 2};
const DevPropKey kHardwareIds{kDeviceSet, 3};
const DevPropKey kCompatibleIds{kDeviceSet, 4};
const DevPropKey kService{kDeviceSet, 6};
const DevPropKey kClass{kDeviceSet, 9};
const DevPropKey kClassGuid{kDeviceSet, 10};
const DevPropKey kDriver{kDeviceSet, 11};
const DevPropKey kManufacturer{kDeviceSet, 13};
const DevPropKey kFriendlyName{kDeviceSet, 14};
const DevPropKey kLocationInfo{kDeviceSet, 15};
const DevPropKey kEnumeratorName{kDeviceSet, 24};
const DevPropKey kInstanceId{kInstanceSet, 256};
const DevPropKey kParent{kNodeSet, 8};
const DevPropKey kProblemCode{kNodeSet, 3};
const DevPropKey kDevNodeStatus{kNodeSet, 2};
const DevPropKey kContainerId{kContainerSet, 2};
const DevPropKey kBusReportedDeviceDesc{kBusSet, 4};
const DevPropKey kDriverDesc{kDriverSet, 4};
const DevPropKey kDriverProvider{kDriverSet, 9};
const DevPropKey kIsPresent{kBusSet, 5};
const DevPropKey kDeviceInterfaceFriendlyName{kInterfaceSet, 2};
}  // namespace devpkey

void setDeviceChangeSink(DeviceChangeSink* sink) {
    g_sink.store(sink);
}

DeviceChangeSink* deviceChangeSink() {
    return g_sink.load();
}

}  // namespace platform
