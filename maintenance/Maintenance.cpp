#include "Maintenance.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "platform/Firewall.h"
#include "platform/Fonts.h"
#include "platform/Processes.h"
#include "platform/Services.h"
#include "platform/Spooler.h"

namespace maintenance {

namespace {

namespace svc = platform::svc;
namespace spool = platform::spool;
using platform::win32::kSuccess;

constexpr wchar_t kSpoolerService[] = L"Spooler";
constexpr char kKestruneFile[] = "\\Kestrune.exe";
constexpr wchar_t kOcrFontName[] = L"OCR A Extended";
constexpr wchar_t kOcrFontFile[] = L"\\OCRAExtended.ttf";
constexpr wchar_t kFontInstaller[] = L"cmd /c \"fontview ";
constexpr quint32 kFreshJobFlags = 4;
constexpr std::uint32_t kAllJobs = 0xFFFFFFFF;
// The rule groups as a Chinese-language Windows names them.
constexpr wchar_t kFileAndPrinterSharing[] = L"文件和打印机共享";
constexpr wchar_t kNetworkDiscovery[] = L"网络发现";

QMutex g_folderLock;
QString g_kestruneFolder;

// Starts Kestrune as ShellExecuteEx does, with the default verb, hidden.
quint32 launchKestrune(int mode, std::unique_ptr<platform::Process>& process) {
    const QString file = kestruneFolder() + QLatin1String(kKestruneFile);
    const platform::win32::Error error = platform::processes().shellExecute(
        std::wstring(), file.toStdWString(), std::to_wstring(mode), std::wstring(),
        platform::ShowMode::Hidden, &process);
    if (error == kSuccess && !process) {
        return platform::win32::kFileNotFound;  // shown, not started: no program there
    }
    return error;
}

quint32 waitForExit(platform::Process& process) {
    process.wait(-1);
    return process.exitCode();
}

// The folder of the running program's file, as GetModuleFileNameW gives it up to its last
// separator.
std::wstring programFolder() {
    const std::wstring program = platform::processes().currentProgramPath();
    const auto separator = program.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : program.substr(0, separator);
}

}  // namespace

void setKestruneFolder(const QString& folder) {
    QMutexLocker lock(&g_folderLock);
    g_kestruneFolder = folder;
}

QString kestruneFolder() {
    QMutexLocker lock(&g_folderLock);
    return g_kestruneFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_kestruneFolder;
}

quint32 runKestrune(int mode) {
    std::unique_ptr<platform::Process> process;
    const quint32 error = launchKestrune(mode, process);
    return error != kSuccess ? error : waitForExit(*process);
}

quint32 startKestrune(int mode, std::function<void()> ended) {
    std::unique_ptr<platform::Process> process;
    const quint32 error = launchKestrune(mode, process);
    if (error != kSuccess) {
        return error;
    }
    // The exit code of the combined repair is not used: the page tests again afterwards.
    std::thread([process = std::move(process), ended = std::move(ended)] {
        waitForExit(*process);
        ended();
    }).detach();
    return kSuccess;
}

int spoolerState() {
    std::unique_ptr<platform::ServiceManager> manager;
    std::unique_ptr<platform::ServiceHandle> service;
    platform::ServiceStatus status;
    if (platform::services().openManager(svc::kManagerConnect, manager) != kSuccess ||
        manager->openService(kSpoolerService, svc::kQueryConfig | svc::kQueryStatus, service) !=
            kSuccess ||
        service->queryStatus(status) != kSuccess) {
        return -1;
    }
    return static_cast<int>(status.currentState);
}

bool isFirewallGroupEnabled(int selector) {
    const wchar_t* group = selector != 0 ? kFileAndPrinterSharing : kNetworkDiscovery;
    std::unique_ptr<platform::FirewallPolicy> policy;
    const platform::HResult created = platform::firewall().openPolicy(policy);
    if (created < 0) {
        std::printf("CoCreateInstance for INetFwPolicy2 failed: 0x%08lx\n",
                    static_cast<unsigned long>(static_cast<std::uint32_t>(created)));
        return false;
    }
    platform::fw::ProfileTypes profiles = 0;
    bool enabled = false;
    return policy->currentProfileTypes(profiles) >= 0 &&
           policy->isRuleGroupEnabled(profiles, group, enabled) >= 0 && enabled;
}

quint32 queueJobFlags(const QString& queue) {
    std::unique_ptr<platform::PrinterHandle> handle;
    std::vector<platform::JobInfo1> jobs;
    if (platform::spooler().openPrinter(queue.toStdWString(), spool::kPrinterRead, handle) !=
            kSuccess ||
        handle->enumJobs1(0, kAllJobs, jobs) != kSuccess) {
        return 0;
    }
    quint32 flags = 0;
    for (const platform::JobInfo1& job : jobs) {
        flags |= job.status == 0 ? kFreshJobFlags : job.status;
    }
    return flags;
}

bool isQueueShared(const QString& queue) {
    std::unique_ptr<platform::PrinterHandle> handle;
    platform::PrinterInfo2 info;
    return platform::spooler().openPrinter(queue.toStdWString(), spool::kPrinterRead, handle) ==
               kSuccess &&
           handle->getPrinter2(info) == kSuccess &&
           (info.attributes & spool::kAttributeShared) != 0;
}

quint32 shareQueueKeepingName(const QString& queue) {
    std::unique_ptr<platform::PrinterHandle> handle;
    quint32 error =
        platform::spooler().openPrinter(queue.toStdWString(), spool::kPrinterAllAccess, handle);
    if (error != kSuccess) {
        return error;
    }
    platform::PrinterInfo2 info;
    error = handle->getPrinter2(info);
    if (error != kSuccess) {
        return error;
    }
    if (info.shareName.empty()) {
        info.shareName = info.printerName;
    }
    info.attributes |= spool::kAttributeShared;
    return handle->setPrinter2(info);
}

bool isOcrFontInstalled() {
    std::vector<platform::InstalledFont> fonts;
    if (platform::fonts().enumFontFamilies(kOcrFontName, fonts) != kSuccess) {
        return false;
    }
    for (const platform::InstalledFont& font : fonts) {
        if (font.fullName == kOcrFontName) {
            return true;
        }
    }
    return false;
}

quint32 installOcrFont() {
    platform::StartRequest request;
    // The path is not quoted: cmd drops the outer quotes and fontview takes the rest.
    request.commandLine = kFontInstaller + programFolder() + kOcrFontFile + L"\"";
    request.show = platform::ShowMode::Hidden;
    request.nativeSystemFolder = true;  // the system's own cmd and font viewer
    std::unique_ptr<platform::Process> process;
    const quint32 error = platform::processes().start(request, process);
    return error != kSuccess ? error : waitForExit(*process);
}

}  // namespace maintenance
