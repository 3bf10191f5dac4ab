#include "PrinterSearcher.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "SnmpDeviceId.h"
#include "platform/Devices.h"
#include "platform/SystemInfo.h"

namespace netscan {

using platform::AdapterInfo;
using platform::ArpRow;

bool PrinterSearcher::reportProgress(int, int, int, int, int) {
    return false;
}
void PrinterSearcher::reportUsbPrinters(const std::vector<devices::USBPrinterInfo>&) {}
void PrinterSearcher::reportUsbTree(std::shared_ptr<devices::UsbTreeReport>) {}
void PrinterSearcher::reportNetPrinter(const NetPrinterInfo&) {}
void PrinterSearcher::reportSharePrinter(const std::string&, const std::string&, const std::string&,
                                         const std::vector<std::wstring>&, int) {}
void PrinterSearcher::reportOverCount(int, ULONG, ULONG) {}
void PrinterSearcher::reportFinish() {}

PageProgress pageProgress(int scope, int current, int phase) {
    switch (scope) {
        case PrinterSearcher::kUsbOnly:
            return {current, PrinterSearcher::kUsbPhaseWeight};
        case PrinterSearcher::kNetworkOnly:
            return {current, PrinterSearcher::kNetworkPhaseWeight};
        default:
            return {phase == PrinterSearcher::kNetworkPhase
                        ? current + PrinterSearcher::kUsbPhaseWeight
                        : current,
                    PrinterSearcher::kUsbPhaseWeight + PrinterSearcher::kNetworkPhaseWeight};
    }
}

std::int32_t pageAddress(std::uint32_t networkOrderAddress) {
    // The value as stored in memory, little-endian: first octet lowest.
    const std::uint32_t value = platform::hostOrder(networkOrderAddress);
    const std::uint32_t littleEndian = ((value >> 24) & 0xFF) | ((value >> 8) & 0xFF00) |
                                       ((value << 8) & 0xFF0000) | ((value << 24) & 0xFF000000);
    return static_cast<std::int32_t>(littleEndian);
}

void PrinterSearcher::setOverCountAnswer(int choice, const std::string& ip,
                                         const std::string& mask) {
    std::lock_guard<std::mutex> guard(answerLock);
    overCountChoice = choice;
    overCountIp = ip;
    overCountMask = mask;
}

void PrinterSearcher::runScan(int mode) {
    // An interrupt asked for before the thread got here is kept, and the scan ends at its first
    // look at the state: setting "running" over it would lose it and leave a scan nobody can
    // stop.
    int before = state.load();
    while (before != kInterruptRequested && !state.compare_exchange_weak(before, kRunning)) {
    }
    bool networkPhase = true;
    if (mode == kNetworkPrinters) {
        if ((scope == kUsbOnly || scope == kUsbAndNetwork) && (usbMethod == 0 || usbMethod == 1)) {
            runUsbPhase();
            if (!isRunning())
                networkPhase = false;
        }
        if (scope != kNetworkOnly && scope != kUsbAndNetwork)
            networkPhase = false;
    }
    if (mode == kSharedPrinters && !hostShareQuery)
        networkPhase = false;  // nothing to ask the hosts
    if (networkPhase) {
        echoTimeoutMs = kEchoTimeoutMs;
        if (readAdapterList()) {
            buildScanList();
            runProbeThreads(mode == kSharedPrinters ? &PrinterSearcher::probeSharedPrinters
                                                    : &PrinterSearcher::probeNetworkPrinters);
        }
        releaseTables();
    }
    // One atomic step, so an interrupt that arrives now still ends the scan as interrupted.
    int current = state.load();
    while (!state.compare_exchange_weak(
        current, current == kInterruptRequested ? kEndedByInterrupt : kEndedNormally)) {
    }
    reportFinish();
}

void PrinterSearcher::runUsbPhase() {
    reportProgress(1, kUsbPhase, kUsbPrinterStepStarts, 0, 0);
    if (!isRunning())
        return;
    if (usbPhase) {
        usbPhase(*this);
        return;
    }
    const platform::SystemInfo& system = platform::systemInfo();
    devices::scanUsbPrinters(platform::devices(), system.version(), system.computerName(),
                             usbReports());
}

devices::UsbReports PrinterSearcher::usbReports() {
    devices::UsbReports reports;
    reports.progress = [this](int current, int progressEvent) {
        reportProgress(current, kUsbPhase, progressEvent, 0, 0);
    };
    reports.scanning = [this] { return isRunning(); };
    reports.usbPrinters = [this](std::vector<devices::USBPrinterInfo> printers) {
        reportUsbPrinters(printers);
    };
    reports.usbTree = [this](std::shared_ptr<devices::UsbTreeReport> report) {
        reportUsbTree(std::move(report));
    };
    return reports;
}

bool PrinterSearcher::readAdapterList() {
    return platform::ipHelper().adapters(adapterInfo) == platform::win32::kSuccess;
}

void PrinterSearcher::releaseTables() {
    adapterInfo.clear();
    adapterInfo.shrink_to_fit();
    arpTable.clear();
    arpTable.shrink_to_fit();
    arpTableRead = false;
}

bool PrinterSearcher::isInterfaceUsable(std::uint32_t index) {
    auto reject = [this, index] {
        rejectedInterfaces.push_back(index);
        return false;
    };
    if (std::find(rejectedInterfaces.begin(), rejectedInterfaces.end(), index) !=
        rejectedInterfaces.end())
        return false;
    for (const AdapterInfo& adapter : adapterInfo) {
        if (adapter.index == index) {
            if (adapter.addresses.front().address == platform::iphlp::kNoAddress)
                return reject();
            break;
        }
    }
    platform::InterfaceRow row;
    if (platform::ipHelper().interfaceRow(index, row) != platform::win32::kSuccess ||
        (row.operStatus != platform::iphlp::kOperStatusConnected &&
         row.operStatus != platform::iphlp::kOperStatusOperational))
        return reject();
    if (row.description.find("VirtualBox") != std::string::npos)
        return reject();
    return true;
}

std::vector<std::uint32_t> PrinterSearcher::localAddresses() {
    std::vector<std::uint32_t> addresses;
    if (!readAdapterList())
        return addresses;
    for (const AdapterInfo& adapter : adapterInfo) {
        std::uint32_t address = 0;
        if (isInterfaceUsable(adapter.index) &&
            platform::parseIpv4(adapter.addresses.front().address, address) &&
            address != 0xFFFFFFFF)
            addresses.push_back(address);
    }
    return addresses;
}

namespace {

// As inet_addr: dotted text to an address, the all-ones value counting as unparsed.
bool inetAddr(const std::string& text, std::uint32_t& address) {
    return platform::parseIpv4(text, address) && address != 0xFFFFFFFF;
}

int prefixLength(std::uint32_t mask) {
    int bits = 0;
    for (std::uint32_t value = platform::hostOrder(mask); value; value &= value - 1)
        ++bits;
    return bits;
}

bool contains(const std::vector<std::uint32_t>& list, std::uint32_t address) {
    return std::find(list.begin(), list.end(), address) != list.end();
}

}  // namespace

void PrinterSearcher::readArpHosts() {
    arpHosts.clear();
    arpTableRead = platform::ipHelper().arpTable(arpTable, true) == platform::win32::kSuccess;
    if (!arpTableRead)
        return;
    for (const ArpRow& row : arpTable) {
        if (isInterfaceUsable(row.index) && row.physicalAddressLength != 0 &&
            row.type != platform::iphlp::kIpNetTypeInvalid)
            arpHosts.push_back(row.address);
    }
    // Ordered by the value as it lies in memory: network-order bytes read little-endian.
    std::sort(arpHosts.begin(), arpHosts.end(), [](std::uint32_t a, std::uint32_t b) {
        return static_cast<std::uint32_t>(pageAddress(a)) <
               static_cast<std::uint32_t>(pageAddress(b));
    });
    arpHosts.erase(std::unique(arpHosts.begin(), arpHosts.end()), arpHosts.end());
}

// One adapter's subnet as (first host, host count), unless it gives none. A subnet larger than
// a /16 (a mask of 0.0.0.0 would give 2^32 - 2 hosts) is not expanded: the over-count event
// tells the page, and the other subnets are scanned.
void PrinterSearcher::addAdapterRange(const AdapterInfo& adapter,
                                      std::vector<std::pair<std::uint32_t, std::uint64_t>>& ranges,
                                      std::vector<std::uint32_t>& networks) {
    std::uint32_t address = 0, mask = 0, gateway = 0;
    const bool maskParses = inetAddr(adapter.addresses.front().mask, mask);
    if (maskParses && inetAddr(adapter.gateways.front(), gateway))
        excluded.push_back(gateway);
    if (!inetAddr(adapter.addresses.front().address, address))
        return;
    excluded.push_back(address);
    if (!maskParses)
        return;
    const int prefix = prefixLength(mask);
    const std::uint32_t network = address & mask;
    if (prefix >= 31 || contains(networks, network))
        return;
    networks.push_back(network);
    const std::uint64_t hosts = (std::uint64_t(1) << (32 - prefix)) - 2;
    if (hosts > kMaxRangeHosts) {
        reportOverCount(static_cast<int>(std::min<std::uint64_t>(hosts, INT_MAX)), address, mask);
        return;
    }
    ranges.emplace_back(platform::networkOrder(platform::hostOrder(network) + 1), hosts);
}

void PrinterSearcher::buildScanList() {
    excluded.clear();
    rangeHosts.clear();
    scanList.clear();
    readArpHosts();
    std::vector<std::pair<std::uint32_t, std::uint64_t>> ranges;
    std::vector<std::uint32_t> networks;
    for (const AdapterInfo& adapter : adapterInfo) {
        if (isInterfaceUsable(adapter.index))
            addAdapterRange(adapter, ranges, networks);
    }
    const std::vector<std::uint32_t> sortedArp = [this] {
        std::vector<std::uint32_t> sorted = arpHosts;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }();
    for (const auto& [first, count] : ranges) {
        const std::uint32_t start = platform::hostOrder(first);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint32_t host =
                platform::networkOrder(start + static_cast<std::uint32_t>(i));
            if (!arpTableRead || !std::binary_search(sortedArp.begin(), sortedArp.end(), host))
                rangeHosts.push_back(host);
        }
    }
    scanList = arpHosts;
    scanList.insert(scanList.end(), rangeHosts.begin(), rangeHosts.end());
    std::vector<std::uint32_t> sortedExcluded = excluded;
    std::sort(sortedExcluded.begin(), sortedExcluded.end());
    scanList.erase(std::remove_if(scanList.begin(), scanList.end(),
                                  [&](std::uint32_t host) {
                                      return std::binary_search(sortedExcluded.begin(),
                                                                sortedExcluded.end(), host);
                                  }),
                   scanList.end());
}

// Winsock needs no start-up on this system; the Windows backend starts it around the probes.
void PrinterSearcher::runProbeThreads(void (PrinterSearcher::*probe)()) {
    reportProgress(0, kNetworkPhase, kNetworkPhaseStarts, 0, 0);
    if (!isRunning())
        return;
    cursor = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < kProbeThreadCount && isRunning(); ++i) {
        threads.emplace_back(probe, this);
        std::this_thread::sleep_for(std::chrono::milliseconds(kProbeThreadStartGapMs));
    }
    for (std::thread& thread : threads)
        thread.join();
}

bool PrinterSearcher::takeNextAddress(std::uint32_t& address) {
    std::lock_guard<std::mutex> guard(listLock);
    if (cursor >= scanList.size())
        return false;
    address = scanList[cursor++];
    return true;
}

void PrinterSearcher::reportAddressProbed() {
    const std::uint64_t length = scanList.size();
    const int current =
        length ? static_cast<int>(std::uint64_t(cursor) * kNetworkPhaseWeight / length) : 0;
    reportProgress(current, kNetworkPhase, kAddressProbed, static_cast<int>(cursor),
                   static_cast<int>(length));
}

PrinterSearcher::Liveness PrinterSearcher::testLiveness(std::uint32_t address) {
    platform::EchoReply reply;
    if (platform::ipHelper().echo(address, echoTimeoutMs, kEchoDataSize, reply) ==
            platform::win32::kSuccess &&
        reply.replies >= 1 && reply.status == platform::iphlp::kIpSuccess)
        return Liveness::Alive;
    std::lock_guard<std::mutex> guard(listLock);
    reportAddressProbed();
    return isRunning() ? Liveness::Dead : Liveness::Stop;
}

void PrinterSearcher::probeNetworkPrinters() {
    std::uint32_t address = 0;
    while (takeNextAddress(address)) {
        const Liveness liveness = testLiveness(address);
        if (liveness == Liveness::Stop)
            return;
        if (liveness == Liveness::Dead)
            continue;
        const std::string ip = platform::formatIpv4(address);
        std::string deviceId;
        const int outcome = queryDeviceId(ip, deviceId);
        std::lock_guard<std::mutex> guard(listLock);
        if (outcome == kSnmpSuccess)
            reportNetPrinter(NetPrinterInfo::fromDeviceId(ip, deviceId));
        reportAddressProbed();
        if (!isRunning())
            return;
    }
}

void PrinterSearcher::probeSharedPrinters() {
    std::uint32_t address = 0;
    while (takeNextAddress(address)) {
        const Liveness liveness = testLiveness(address);
        if (liveness == Liveness::Stop)
            return;
        if (liveness == Liveness::Dead)
            continue;
        const HostShares shares = hostShareQuery(platform::formatIpv4(address));
        if (shares.code != 0 && shares.code != 1)
            continue;
        std::lock_guard<std::mutex> guard(listLock);
        reportSharePrinter(shares.ip, shares.deviceName, shares.group, shares.printerNames,
                           shares.code);
        reportAddressProbed();
        if (!isRunning())
            return;
    }
}

}  // namespace netscan
