#include "NetBiosNames.h"

#include <cstddef>

#include "platform/Sockets.h"

namespace sharing {

namespace {

constexpr std::uint16_t kTransactionId = 0x8094;
constexpr std::uint16_t kQuestionTypeNodeStatus = 0x0021;
constexpr std::uint16_t kQuestionClassInternet = 0x0001;
constexpr std::size_t kEncodedNameLength = 32;  // first-level encoding: two letters per byte

// A response: the 12-byte header, the 34-byte question name, type, class, TTL and data length
// (56 bytes), then the name count and the names of 18 bytes each.
constexpr std::size_t kNameCountOffset = 56;
constexpr std::size_t kFirstNameOffset = 57;
constexpr std::size_t kNameEntrySize = 18;
constexpr std::size_t kNameTextSize = 15;
constexpr std::size_t kSuffixOffset = 15;
constexpr std::size_t kFlagsOffset = 16;
constexpr std::size_t kShortestResponse = 90;  // what a response with one name and stats needs
constexpr std::uint16_t kGroupNameFlag = 0x8000;
constexpr std::uint8_t kWorkstationSuffix = 0x00;
constexpr std::size_t kMaxResponse = 1024;

void appendUint16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

// The name's text up to its first zero byte, without leading and trailing spaces.
std::string nameText(const std::uint8_t* entry) {
    std::size_t end = 0;
    while (end < kNameTextSize && entry[end] != 0) {
        ++end;
    }
    std::size_t begin = 0;
    while (begin < end && entry[begin] == ' ') {
        ++begin;
    }
    while (end > begin && entry[end - 1] == ' ') {
        --end;
    }
    return std::string(reinterpret_cast<const char*>(entry) + begin, end - begin);
}

}  // namespace

std::vector<std::uint8_t> nodeStatusRequest() {
    std::vector<std::uint8_t> request;
    request.reserve(50);
    appendUint16(request, kTransactionId);
    appendUint16(request, 0);  // flags: a query
    appendUint16(request, 1);  // one question
    appendUint16(request, 0);  // no answers
    appendUint16(request, 0);  // no authority records
    appendUint16(request, 0);  // no additional records
    // "*" padded with zero bytes to 16, each half-byte as a letter from 'A': "CK" then "AA"s.
    request.push_back(static_cast<std::uint8_t>(kEncodedNameLength));
    request.push_back('C');
    request.push_back('K');
    for (std::size_t i = 2; i < kEncodedNameLength; ++i) {
        request.push_back('A');
    }
    request.push_back(0);
    appendUint16(request, kQuestionTypeNodeStatus);
    appendUint16(request, kQuestionClassInternet);
    return request;
}

bool parseNodeStatus(const std::vector<std::uint8_t>& response, NetBiosNames& names) {
    names = NetBiosNames();
    if (response.size() < kShortestResponse) {
        return false;
    }
    const std::size_t count = response[kNameCountOffset];
    if (kFirstNameOffset + count * kNameEntrySize > response.size()) {
        return false;
    }
    bool haveDeviceName = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = response.data() + kFirstNameOffset + i * kNameEntrySize;
        if (entry[kSuffixOffset] != kWorkstationSuffix) {
            continue;
        }
        const auto flags =
            static_cast<std::uint16_t>((entry[kFlagsOffset] << 8) | entry[kFlagsOffset + 1]);
        if (!haveDeviceName && (flags & kGroupNameFlag) == 0) {
            names.deviceName = nameText(entry);
            haveDeviceName = true;
        } else {
            names.group = nameText(entry);
        }
    }
    return true;
}

int queryNetBiosNames(std::uint32_t address, int timeoutMs, NetBiosNames& names) {
    names = NetBiosNames();
    std::vector<std::uint8_t> response;
    const int error = platform::sockets::exchangeDatagram(
        address, kNetBiosNamePort, nodeStatusRequest(), timeoutMs, kMaxResponse, response);
    if (error == 0) {
        parseNodeStatus(response, names);
    }
    return error;
}

}  // namespace sharing
