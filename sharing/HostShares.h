#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Win32Error.h"

// Another PC's shared printers: who the host is (its NetBIOS names), which print queues it
// shares, and logging on to it.
namespace sharing {

// What a probe of one host yields.
struct HostShareRecord {
    std::string ip;          // dotted IPv4 text; empty when the host name did not resolve
    std::string deviceName;  // NetBIOS computer name (ANSI); empty without a NetBIOS answer
    std::string group;       // NetBIOS workgroup or domain (ANSI); empty when not reported
    std::vector<std::wstring> printerNames;  // print-queue shares in the host's order
    int code = 0;                            // see HostShareCode
};

// The probe's result codes, as the page knows them.
enum HostShareCode : int {
    kSharesListed = 0,    // the list may be empty
    kSharesRefused = 1,   // access denied: the host wants a log-on first
    kHostTimedOut = 2,    // no NetBIOS answer in time, or the listing did not finish in time
    kListingFailed = 3,   // any other failure of the listing
    kHostUnresolved = 4,  // the name has no IPv4 address
};

constexpr int kShareListingTimeoutMs = 2000;

// The first IPv4 address of `ansiName` (network byte order), or INADDR_NONE.
std::uint32_t resolveHost(const std::string& ansiName);

// NetShareEnum for `server` at level 1, each pass on its own thread and waited for at most two
// seconds (1460 when the wait runs out; the pass is left to end on its own). Appends the names
// of the shares whose type is exactly a print queue and answers the listing's status.
platform::win32::Error listPrinterShares(const std::wstring& server,
                                         std::vector<std::wstring>& printerNames);

// Probes the host at `address` (network byte order): its NetBIOS names, then unless that timed
// out its printer shares. Fills the record and answers codes 0 to 3.
int probeHostShares(std::uint32_t address, HostShareRecord& record);

// The probe as the shared-printer scan runs it on a live host given as dotted IPv4 text: the
// record with its code (0 to 3; the scan reports only 0 and 1).
HostShareRecord probeHostSharesAt(const std::string& ip);

// The whole query for a host given as dotted IPv4 text or as a name (UTF-8): code 4 with an
// empty record when a name does not resolve. Blocks for the NetBIOS wait and the listing.
HostShareRecord queryHostShares(const QByteArray& utf8Host);

// Runs queryHostShares on a detached thread, which hands the record to `deliver` and ends.
void startHostShareQuery(const QByteArray& utf8Host,
                         std::function<void(HostShareRecord&& record)> deliver);

// Logs on to the host (UTF-8 name or address) with the user and password: connects
// "\\<host>" and, when that worked (or reported not connected) and the host resolves, also
// "\\<address>"; answers the result of the last attempt made.
platform::win32::Error netAddConnection(const QByteArray& utf8Host, const QByteArray& utf8User,
                                        const QByteArray& utf8Password);

// Closes the connection to "\\<host>" and, when that worked (or reported not connected) and the
// host resolves, the one to "\\<address>" as well; answers the result for the name.
platform::win32::Error netCancelConnection(const QByteArray& utf8Host);

}  // namespace sharing
