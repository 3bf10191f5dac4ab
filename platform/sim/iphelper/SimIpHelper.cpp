#include "platform/sim/iphelper/SimIpHelper.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/posix/HostNetwork.h"
#include "platform/sim/iphelper/IpHelperDocument.h"

namespace platform::sim::iphelper {

namespace {

bool isLoopback(std::uint32_t address) {
    return (hostOrder(address) >> 24) == 127;
}

class SimIpHelper final : public IpHelper {
public:
    explicit SimIpHelper(const StateStore& store) : m_store(store) {}

    win32::Error adapters(std::vector<AdapterInfo>& adapters) const override {
        adapters.clear();
        NetworkState state;
        if (!readState(state))
            return iphlp::kErrorNoData;
        if (state.source == Source::Host)
            return posix::hostAdapters(adapters);
        for (const SimAdapter& adapter : state.adapters)
            adapters.push_back(adapter.info);
        return adapters.empty() ? iphlp::kErrorNoData : win32::kSuccess;
    }

    win32::Error arpTable(std::vector<ArpRow>& rows, bool sorted) const override {
        rows.clear();
        NetworkState state;
        if (!readState(state))
            return iphlp::kErrorNoData;
        if (state.source == Source::Host)
            posix::hostArpTable(rows);
        else
            rows = state.arp;
        if (sorted) {
            std::stable_sort(rows.begin(), rows.end(), [](const ArpRow& a, const ArpRow& b) {
                return hostOrder(a.address) < hostOrder(b.address);
            });
        }
        return rows.empty() ? iphlp::kErrorNoData : win32::kSuccess;
    }

    win32::Error interfaceRow(std::uint32_t index, InterfaceRow& row) const override {
        NetworkState state;
        if (!readState(state))
            return iphlp::kErrorInvalidData;
        if (state.source == Source::Host)
            return posix::hostInterfaceRow(index, row);
        const SimAdapter* adapter = state.adapter(index);
        if (!adapter)
            return iphlp::kErrorInvalidData;
        row.index = index;
        row.operStatus = adapter->operStatus;
        row.description = adapter->info.description;
        return win32::kSuccess;
    }

    win32::Error echo(std::uint32_t address, std::uint32_t timeoutMs, std::uint32_t dataSize,
                      EchoReply& reply) const override {
        NetworkState state;
        const bool host = readState(state) && state.source == Source::Host;
        if (host || isLoopback(address))
            return posix::icmpEcho(address, timeoutMs, dataSize, reply);
        reply = EchoReply{};
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return win32::kSuccess;
    }

private:
    bool readState(NetworkState& state) const {
        QJsonObject document;
        QString error;
        return m_store.read(QLatin1String(kIpHelperFacility), document, error) &&
               readNetworkState(document, QLatin1String(kIpHelperFacility), state, error);
    }

    const StateStore& m_store;
};

}  // namespace

std::unique_ptr<IpHelper> makeSimIpHelper(const StateStore& store) {
    return std::make_unique<SimIpHelper>(store);
}

}  // namespace platform::sim::iphelper
