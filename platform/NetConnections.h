#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Win32Error.h"

namespace platform {

// Windows networking: the connections this user has open to other hosts (WNet*), and the
// shares a host lists (NetShareEnum). A host's share listing is made with the credentials of
// this user's connection to it, when there is one, else as a guest.
namespace net {

constexpr std::uint32_t kResourceTypeAny = 0;    // RESOURCETYPE_ANY
constexpr std::uint32_t kResourceTypeDisk = 1;   // RESOURCETYPE_DISK
constexpr std::uint32_t kResourceTypePrint = 2;  // RESOURCETYPE_PRINT

constexpr std::uint32_t kConnectUpdateProfile = 0x1;  // CONNECT_UPDATE_PROFILE
constexpr std::uint32_t kConnectTemporary = 0x4;      // CONNECT_TEMPORARY

constexpr std::uint32_t kShareTypeDisk = 0;               // STYPE_DISKTREE
constexpr std::uint32_t kShareTypePrintQueue = 1;         // STYPE_PRINTQ
constexpr std::uint32_t kShareTypeDevice = 2;             // STYPE_DEVICE
constexpr std::uint32_t kShareTypeIpc = 3;                // STYPE_IPC
constexpr std::uint32_t kShareTypeSpecial = 0x80000000u;  // STYPE_SPECIAL: C$, ADMIN$, IPC$

constexpr win32::Error kErrorBadNetPath = 53;                   // ERROR_BAD_NETPATH
constexpr win32::Error kErrorBadNetName = 67;                   // ERROR_BAD_NET_NAME
constexpr win32::Error kErrorSemaphoreTimeout = 121;            // ERROR_SEM_TIMEOUT
constexpr win32::Error kErrorSessionCredentialConflict = 1219;  // ERROR_SESSION_CREDENTIAL_CONFLICT
constexpr win32::Error kErrorLogonFailure = 1326;               // ERROR_LOGON_FAILURE
constexpr win32::Error kErrorTimeout = 1460;                    // ERROR_TIMEOUT
constexpr win32::Error kErrorNotConnected = 2250;               // ERROR_NOT_CONNECTED

}  // namespace net

// NETRESOURCEW, the members WNetAddConnection2W reads.
struct NetResource {
    std::uint32_t type = net::kResourceTypeAny;
    std::wstring localName;   // empty: a connection without a local device
    std::wstring remoteName;  // "\\host" or "\\host\share"
    std::wstring provider;    // empty: the provider is found from the remote name
};

// SHARE_INFO_1.
struct ShareInfo1 {
    std::wstring name;
    std::uint32_t type = net::kShareTypeDisk;
    std::wstring remark;
};

// One open connection as WNetEnumResource lists it (the password is never given back).
struct NetConnection {
    std::wstring remoteName;
    std::wstring userName;
};

class NetConnections {
public:
    virtual ~NetConnections() = default;

    // WNetAddConnection2W. A null password or user name means the default one (this user's
    // own); an empty password means none. Connecting logs on to the host: kErrorLogonFailure
    // when it refuses the user or the password, kErrorSessionCredentialConflict when a
    // connection to that host is already open under another user, kErrorBadNetPath when the
    // host cannot be reached, kErrorBadNetName for a remote name that names no host.
    virtual win32::Error addConnection2(const NetResource& resource, const std::wstring* password,
                                        const std::wstring* userName, std::uint32_t flags) = 0;

    // WNetCancelConnection2W. kErrorNotConnected when no such connection is open.
    virtual win32::Error cancelConnection2(const std::wstring& name, std::uint32_t flags,
                                           bool force) = 0;

    // WNetOpenEnum(RESOURCE_CONNECTED) and WNetEnumResource: the open connections.
    virtual win32::Error connections(std::vector<NetConnection>& connections) = 0;

    // NetShareEnum at level 1 for `server` (a name or an address, with or without leading
    // backslashes). All entries come at once (kSuccess, `resumeHandle` left at 0); a listing in
    // parts would answer kMoreData and advance it. kAccessDenied when the host does not list
    // its shares to this user, kErrorBadNetPath when it cannot be reached.
    virtual win32::Error shareEnum(const std::wstring& server, std::vector<ShareInfo1>& shares,
                                   std::uint32_t& resumeHandle) = 0;
};

NetConnections& netConnections();

}  // namespace platform
