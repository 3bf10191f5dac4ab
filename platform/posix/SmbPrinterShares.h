#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "platform/Win32Error.h"

namespace platform::posix {

// Who the SMB listing logs on as. An empty user is the anonymous (guest) listing.
struct SmbCredentials {
    QString domain;
    QString user;
    QString password;
};

// One share as NetShareEnum describes it at level 1: its STYPE_* type (the administrative
// shares, whose names end in '$', carry STYPE_SPECIAL as well) and its comment.
struct SmbShare {
    QString name;
    std::uint32_t type = 0;
    QString comment;
};

constexpr std::uint32_t kShareTypeDisk = 0;               // STYPE_DISKTREE
constexpr std::uint32_t kShareTypePrintQueue = 1;         // STYPE_PRINTQ
constexpr std::uint32_t kShareTypeDevice = 2;             // STYPE_DEVICE
constexpr std::uint32_t kShareTypeIpc = 3;                // STYPE_IPC
constexpr std::uint32_t kShareTypeSpecial = 0x80000000u;  // STYPE_SPECIAL

// NetShareEnum's errors for what can go wrong on the way.
constexpr win32::Error kBadNetPath = 53;  // ERROR_BAD_NETPATH: no such host, or no answer
constexpr win32::Error kUnexpectedNetworkError = 59;  // ERROR_UNEXP_NET_ERR
constexpr win32::Error kSemaphoreTimeout = 121;  // ERROR_SEM_TIMEOUT: the host stopped answering
constexpr win32::Error kLogonFailure = 1326;     // ERROR_LOGON_FAILURE: user or password wrong

// Lists the shares of `host` (a name, resolved by the system resolver, or an IPv4 address) over
// SMB, logged on with `credentials`, as NetShareEnum at level 1 does. Errors:
//   kAccessDenied       the host does not list its shares to this user (or to guests)
//   kLogonFailure       credentials were given and the host refused them
//   kBadNetPath         the name does not resolve, or no SMB server answers at the address
//   kInvalidName        the host is not a plain name or address (it holds URL syntax: @ : /)
//   kSemaphoreTimeout   the host stopped answering
//   kNotSupported       libsmbclient is not installed
// Listings may be asked for from any thread; they run one at a time.
win32::Error listShares(const QString& host, const SmbCredentials& credentials,
                        std::vector<SmbShare>& shares);

}  // namespace platform::posix
