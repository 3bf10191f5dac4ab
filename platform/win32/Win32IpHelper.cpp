// The IP helper (iphlpapi): the tables come in buffers grown until the system's answer fits,
// the ICMP handle is closed by RAII.
#include <winsock2.h>
// (winsock2.h before windows.h, which would otherwise bring the old winsock.h.)
#include <windows.h>
// (windows.h first: the IP helper headers need its types.)
#include <iphlpapi.h>
// (iphlpapi.h first: the ICMP header needs the address types it brings.)
#include <icmpapi.h>

#include <algorithm>
#include <vector>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueIcmp = Unique<HANDLE, IcmpCloseHandle>;

// IcmpCreateFile answers INVALID_HANDLE_VALUE on failure; held as null.
HANDLE orNull(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Room for the reply record, its echoed data and an ICMP error message, as IcmpSendEcho asks.
constexpr DWORD kReplySlack = 8;
// IP_STATUS values start here; a smaller last error after IcmpSendEcho is a Win32 error.
constexpr DWORD kIpStatusBase = 11000;

// Calls `read(buffer, &size)` until the table fits: the call answers `growError` with the size
// it needs, and the table may have grown in between.
template <class Read>
Error readTable(std::vector<BYTE>& buffer, Error growError, Read read) {
    ULONG size = static_cast<ULONG>(buffer.size());
    for (;;) {
        const Error error = read(buffer.empty() ? nullptr : buffer.data(), &size);
        if (error != growError || size <= buffer.size()) {
            return error;
        }
        buffer.assign(size, 0);
    }
}

std::vector<AdapterAddress> addressesOf(const IP_ADDR_STRING* entry) {
    std::vector<AdapterAddress> addresses;
    for (; entry != nullptr; entry = entry->Next) {
        AdapterAddress address;
        address.address = entry->IpAddress.String;
        address.mask = entry->IpMask.String;
        addresses.push_back(address);
    }
    if (addresses.empty()) {
        addresses.emplace_back();
    }
    return addresses;
}

std::vector<std::string> gatewaysOf(const IP_ADDR_STRING* entry) {
    std::vector<std::string> gateways;
    for (; entry != nullptr; entry = entry->Next) {
        gateways.emplace_back(entry->IpAddress.String);
    }
    if (gateways.empty()) {
        gateways.emplace_back(iphlp::kNoAddress);
    }
    return gateways;
}

AdapterInfo adapterOf(const IP_ADAPTER_INFO& record) {
    AdapterInfo adapter;
    adapter.index = record.Index;
    adapter.name = record.AdapterName;
    adapter.description = record.Description;
    adapter.addresses = addressesOf(&record.IpAddressList);
    adapter.gateways = gatewaysOf(&record.GatewayList);
    return adapter;
}

ArpRow arpRowOf(const MIB_IPNETROW& record) {
    ArpRow row;
    row.index = record.dwIndex;
    row.address = record.dwAddr;
    row.physicalAddressLength = std::min<DWORD>(record.dwPhysAddrLen, sizeof row.physicalAddress);
    std::copy(record.bPhysAddr, record.bPhysAddr + row.physicalAddressLength, row.physicalAddress);
    row.type = record.dwType;
    return row;
}

class Win32IpHelper final : public IpHelper {
public:
    Error adapters(std::vector<AdapterInfo>& adapters) const override {
        adapters.clear();
        std::vector<BYTE> buffer;
        const Error error = readTable(buffer, ERROR_BUFFER_OVERFLOW, [](BYTE* data, ULONG* size) {
            return GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(data), size);
        });
        if (error != kSuccess) {
            return error;
        }
        for (auto* record = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
             record != nullptr; record = record->Next) {
            adapters.push_back(adapterOf(*record));
        }
        return kSuccess;
    }

    Error arpTable(std::vector<ArpRow>& rows, bool sorted) const override {
        rows.clear();
        std::vector<BYTE> buffer;
        const Error error =
            readTable(buffer, ERROR_INSUFFICIENT_BUFFER, [sorted](BYTE* data, ULONG* size) {
                return GetIpNetTable(reinterpret_cast<MIB_IPNETTABLE*>(data), size,
                                     sorted ? TRUE : FALSE);
            });
        if (error != kSuccess) {
            return error;
        }
        const auto* table = reinterpret_cast<const MIB_IPNETTABLE*>(buffer.data());
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            rows.push_back(arpRowOf(table->table[i]));
        }
        return rows.empty() ? iphlp::kErrorNoData : kSuccess;
    }

    Error interfaceRow(std::uint32_t index, InterfaceRow& row) const override {
        MIB_IFROW record{};
        record.dwIndex = index;
        if (const DWORD error = GetIfEntry(&record)) {
            return error;
        }
        row.index = record.dwIndex;
        row.operStatus = record.dwOperStatus;
        const DWORD length = std::min<DWORD>(record.dwDescrLen, MAXLEN_IFDESCR);
        row.description.assign(reinterpret_cast<const char*>(record.bDescr), length);
        // Windows counts the description's terminating null in its length.
        while (!row.description.empty() && row.description.back() == '\0') {
            row.description.pop_back();
        }
        return kSuccess;
    }

    Error echo(std::uint32_t address, std::uint32_t timeoutMs, std::uint32_t dataSize,
               EchoReply& reply) const override {
        reply = EchoReply();
        UniqueIcmp icmp(orNull(IcmpCreateFile()));
        if (!icmp) {
            return failureReason();
        }
        std::vector<BYTE> request(dataSize, 0);
        std::vector<BYTE> answer(sizeof(ICMP_ECHO_REPLY) + dataSize + kReplySlack, 0);
        const DWORD replies =
            IcmpSendEcho(icmp.get(), address, request.empty() ? nullptr : request.data(),
                         static_cast<WORD>(dataSize), nullptr, answer.data(),
                         static_cast<DWORD>(answer.size()), timeoutMs);
        reply.replies = replies;
        if (replies == 0) {
            const DWORD status = GetLastError();
            reply.status = status >= kIpStatusBase ? status : iphlp::kIpReqTimedOut;
            return kSuccess;
        }
        const auto* first = reinterpret_cast<const ICMP_ECHO_REPLY*>(answer.data());
        reply.status = first->Status;
        reply.roundTripMs = first->RoundTripTime;
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<IpHelper> makeIpHelper() {
    return std::make_unique<Win32IpHelper>();
}

}  // namespace platform::win32
