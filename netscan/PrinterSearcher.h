#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "NetPrinterInfo.h"
#include "UsbRecords.h"
#include "platform/IpHelper.h"

namespace netscan {

// A Windows ULONG as the over-count event carries it.
using ULONG = unsigned long;

// The scan's data and its probe logic, without a thread of its own: PrinterSearcherThread runs
// it. The report hooks do nothing here (reportProgress answers false); a subclass turns them
// into whatever its owner needs.
//
// Mode 1 finds network printers: every host of the local subnets is pinged and every host that
// answers is asked over SNMP for its printer device ID. Mode 2 asks every live host for its
// shared printers through `hostShareQuery`.
class PrinterSearcher {
public:
    enum State : int {
        kEndedNormally = 0,
        kEndedByInterrupt = 1,
        kInterruptRequested = 2,
        kRunning = 3,
        kNew = 4,
    };
    enum Scope : int { kNetworkOnly = 0, kUsbOnly = 1, kUsbAndNetwork = 2 };
    enum Mode : int { kNetworkPrinters = 1, kSharedPrinters = 2 };
    // reportProgress phases.
    enum Phase : int { kNetworkPhase = 0, kUsbPhase = 1 };
    // reportProgress events.
    enum ProgressEvent : int {
        kAddressProbed = 0,
        kNetworkPhaseStarts = 1,
        kUsbPrinterStepStarts = 3,
        kUsbStepAdvanced = 4,
    };

    static constexpr int kProbeThreadCount = 10;
    static constexpr int kProbeThreadStartGapMs = 10;
    static constexpr std::uint32_t kEchoTimeoutMs = 400;
    static constexpr std::uint32_t kEchoDataSize = 32;
    // A subnet with more hosts than a /16 is not probed (see buildScanList).
    static constexpr std::uint64_t kMaxRangeHosts = 65534;
    // The page's share of the whole scan per phase, in percent.
    static constexpr int kUsbPhaseWeight = 5;
    static constexpr int kNetworkPhaseWeight = 95;

    PrinterSearcher() = default;
    virtual ~PrinterSearcher() = default;
    PrinterSearcher(const PrinterSearcher&) = delete;
    PrinterSearcher& operator=(const PrinterSearcher&) = delete;

    // The report hooks, called on the scan thread or (the last four) on probe threads under
    // listLock.
    virtual bool reportProgress(int current, int phase, int progressEvent, int curMachine,
                                int totalMachine);
    virtual void reportUsbPrinters(const std::vector<devices::USBPrinterInfo>& printers);
    virtual void reportUsbTree(std::shared_ptr<devices::UsbTreeReport> report);
    virtual void reportNetPrinter(const NetPrinterInfo& printer);
    virtual void reportSharePrinter(const std::string& ip, const std::string& deviceName,
                                    const std::string& group,
                                    const std::vector<std::wstring>& printerNames, int code);
    virtual void reportOverCount(int count, ULONG ipAddress, ULONG subnetMask);
    virtual void reportFinish();

    // The whole scan of `mode` on the calling thread: the USB phase (mode 1), the network phase,
    // then the end state and reportFinish, always exactly once.
    void runScan(int mode);

    // The USB phase: the USB printer step and the USB device-tree step of the device layer,
    // after the first progress report. They report through reportProgress (phase 1),
    // reportUsbPrinters and reportUsbTree and stop once isRunning() is false. `usbPhase`
    // replaces them (tests); by default the PC's own devices are searched.
    void runUsbPhase();
    std::function<void(PrinterSearcher& searcher)> usbPhase;
    // The device layer's reports wired to this searcher's hooks.
    devices::UsbReports usbReports();

    // What mode 2 asks a live host (the address as dotted text): its machine name, workgroup,
    // shared printer names, and a code (0 and 1 are reported, others dropped). Without it a
    // mode-2 scan probes nothing.
    struct HostShares {
        std::string ip;
        std::string deviceName;
        std::string group;
        std::vector<std::wstring> printerNames;
        int code = 0;
    };
    std::function<HostShares(const std::string& ip)> hostShareQuery;

    // The interface usability test: false for an interface that is down, belongs to an adapter
    // whose first address is 0.0.0.0, is a VirtualBox adapter, or whose row cannot be read;
    // rejections are remembered for the life of the searcher.
    bool isInterfaceUsable(std::uint32_t index);
    // The usable adapters' first addresses, in the adapter list's order (reads the list).
    std::vector<std::uint32_t> localAddresses();

    // Reads adapterInfo (GetAdaptersInfo); false when the list cannot be read or is empty.
    bool readAdapterList();
    // Fills excluded, arpHosts, rangeHosts and scanList from adapterInfo and the ARP table.
    void buildScanList();

    bool isRunning() const { return state.load() == kRunning; }

    // The page's answer to an over-count event (guarded by answerLock).
    void setOverCountAnswer(int choice, const std::string& ip, const std::string& mask);

    int scope = kUsbAndNetwork;
    int usbMethod = 0;
    std::atomic<int> state{kNew};
    int overCountChoice = 0;
    std::string overCountIp;
    std::string overCountMask;
    std::mutex answerLock;
    std::uint32_t echoTimeoutMs = 0;
    std::vector<platform::ArpRow> arpTable;
    bool arpTableRead = false;
    std::vector<platform::AdapterInfo> adapterInfo;
    std::vector<std::uint32_t> excluded;
    std::vector<std::uint32_t> arpHosts;
    std::vector<std::uint32_t> rangeHosts;
    std::vector<std::uint32_t> scanList;
    std::vector<std::uint32_t> rejectedInterfaces;
    std::uint32_t cursor = 0;
    std::mutex listLock;

private:
    enum class Liveness { Alive, Dead, Stop };

    void readArpHosts();
    void addAdapterRange(const platform::AdapterInfo& adapter,
                         std::vector<std::pair<std::uint32_t, std::uint64_t>>& ranges,
                         std::vector<std::uint32_t>& networks);
    void runProbeThreads(void (PrinterSearcher::*probe)());
    bool takeNextAddress(std::uint32_t& address);
    // Under listLock: the progress of one probed address.
    void reportAddressProbed();
    Liveness testLiveness(std::uint32_t address);
    void probeNetworkPrinters();
    void probeSharedPrinters();
    void releaseTables();
};

// The page's (current, total) for a phase-local progress value: the USB phase weighs 5, the
// network phase 95, and with both phases network values follow the USB phase's 5.
struct PageProgress {
    int current;
    int total;
};
PageProgress pageProgress(int scope, int current, int phase);

// The integer the page receives for an address: its network-order bytes read as a
// little-endian signed 32-bit number (192.168.1.10 is 167880896).
std::int32_t pageAddress(std::uint32_t networkOrderAddress);

}  // namespace netscan
