#include "Repairs.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "platform/Devices.h"
#include "platform/FileSystem.h"
#include "platform/Firewall.h"
#include "platform/Registry.h"
#include "platform/Services.h"

namespace kestrune {

namespace {

namespace svc = platform::svc;
using platform::win32::Error;
using platform::win32::kSuccess;

constexpr wchar_t kSpoolerService[] = L"Spooler";
constexpr std::chrono::milliseconds kStopTimeout{30000};
constexpr char kStopTimeoutVariable[] = "KESTRUNE_STOP_TIMEOUT_MS";
// A planned stop: SERVICE_STOP_REASON_FLAG_PLANNED | major 4 (application) | minor 11.
constexpr std::uint32_t kStopReason = 0x4004000B;
// A status read while the service is pending with no wait hint must not spin.
constexpr std::chrono::milliseconds kShortestPoll{10};

constexpr wchar_t kPrintersKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr wchar_t kSpoolDirectoryValue[] = L"DefaultSpoolDirectory";
constexpr wchar_t kFallbackSpoolFolder[] = L"C:\\Windows\\system32\\spool\\PRINTERS";
// The value is read into a buffer of MAX_PATH UTF-16 characters.
constexpr std::uint32_t kSpoolFolderBufferBytes = 260 * 2;

constexpr wchar_t kFileAndPrinterSharing[] = L"文件和打印机共享";
constexpr wchar_t kNetworkDiscovery[] = L"网络发现";

// Reads the status until the service has stopped; kSuccess then, else the read's error or
// ERROR_SERVICE_REQUEST_TIMEOUT once `deadline` passed.
Error waitUntilStopped(platform::ServiceHandle& service,
                       std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        platform::ServiceStatusProcess status;
        const Error read = service.queryStatusProcess(status);
        if (read != kSuccess) {
            return read;
        }
        if (status.currentState == svc::kStopped) {
            return kSuccess;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return svc::kErrorServiceRequestTimeout;
        }
        std::this_thread::sleep_for(std::max<std::chrono::milliseconds>(
            std::chrono::milliseconds(status.waitHint), kShortestPoll));
    }
}

Error stopAndRestart(platform::ServiceHandle& service,
                     std::chrono::steady_clock::time_point deadline, bool stopOnly) {
    platform::ServiceStatusProcess status;
    Error error = service.queryStatusProcess(status);
    if (error != kSuccess) {
        return error;
    }
    if (status.currentState != svc::kStopped) {
        platform::ServiceStatus afterStop;
        error = service.stop(kStopReason, std::wstring(), afterStop);
        if (error != kSuccess) {
            return error;
        }
        error = waitUntilStopped(service, deadline);
        if (error != kSuccess) {
            return error;
        }
    }
    if (stopOnly) {
        return kSuccess;
    }
    // Whether the start type could be set does not matter for the start itself.
    service.changeConfig(svc::kNoChange, svc::kAutoStart, svc::kNoChange);
    return service.start();
}

// Deletes what is in `folder`, sub-folders with their contents; failures are passed over.
void deleteContents(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path entry = it->path();
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            deleteContents(entry);
        }
        std::filesystem::remove(entry, ignored);
    }
}

}  // namespace

std::chrono::milliseconds stopTimeout() {
    const char* text = std::getenv(kStopTimeoutVariable);
    if (text == nullptr) {
        return kStopTimeout;
    }
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return end != text && value >= 0 ? std::chrono::milliseconds(value) : kStopTimeout;
}

Error restartSpooler(bool stopOnly) {
    std::unique_ptr<platform::ServiceManager> manager;
    const Error opened = platform::services().openManager(svc::kManagerAllAccess, manager);
    if (opened != kSuccess) {
        return opened;
    }
    const auto deadline = std::chrono::steady_clock::now() + stopTimeout();
    std::unique_ptr<platform::ServiceHandle> service;
    const Error error = manager->openService(kSpoolerService, svc::kAllAccess, service);
    if (error != kSuccess) {
        return error;
    }
    return stopAndRestart(*service, deadline, stopOnly);
}

std::wstring readSpoolFolder() {
    std::unique_ptr<platform::RegistryKey> key;
    const Error opened = platform::registry().openKey(platform::RegistryRoot::LocalMachine,
                                                      kPrintersKey, platform::kKeyRead, key);
    if (opened != kSuccess) {
        std::printf("Error opening registry key. Error code: %" PRIu32 "\n", opened);
        return {};
    }
    std::uint8_t buffer[kSpoolFolderBufferBytes] = {};
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    const Error read = key->queryValue(kSpoolDirectoryValue, &type, buffer, &size);
    if (read != kSuccess) {
        std::printf("Error querying registry value. Error code: %" PRIu32 "\n", read);
        return {};
    }
    return platform::reg::decodeString(buffer, size);
}

Error cleanSpoolFolder() {
    std::wstring folder = readSpoolFolder();
    if (folder.empty()) {
        folder = kFallbackSpoolFolder;
    }
    restartSpooler(true);
    deleteContents(std::filesystem::path(platform::fileSystem().hostPath(folder)));
    return restartSpooler(false);
}

std::int32_t enableRuleGroup(const std::wstring& group) {
    // The platform's firewall needs no COM set-up of the caller, so there is nothing to
    // initialise before creating the policy.
    std::unique_ptr<platform::FirewallPolicy> policy;
    platform::HResult result = platform::firewall().openPolicy(policy);
    if (result < 0) {
        std::printf("CoCreateInstance for INetFwPolicy2 failed: 0x%08lx\n",
                    static_cast<unsigned long>(static_cast<std::uint32_t>(result)));
        return result;
    }
    platform::fw::ProfileTypes profiles = 0;
    result = policy->currentProfileTypes(profiles);
    if (result < 0) {
        return result;
    }
    bool enabled = false;
    result = policy->isRuleGroupEnabled(profiles, group, enabled);
    if (result < 0) {
        return result;
    }
    if (!enabled) {
        result = policy->enableRuleGroup(profiles, group, true);
        if (result < 0) {
            return result;
        }
    }
    return 0;
}

int enableSharingRuleGroups() {
    const std::int32_t sharing = enableRuleGroup(kFileAndPrinterSharing);
    const std::int32_t discovery = enableRuleGroup(kNetworkDiscovery);
    return sharing == 0 && discovery == 0 ? 0 : 1;
}

std::uint32_t reenumerateDevices() {
    platform::Devices& devices = platform::devices();
    std::uint32_t root = 0;
    const platform::dev::ConfigRet located =
        devices.locateDevNode(std::wstring(), platform::dev::kCmLocateDevNodeNormal, root);
    if (located != platform::dev::kCrSuccess) {
        return located;
    }
    return devices.reenumerateDevNode(root, platform::dev::kCmReenumerateNormal);
}

}  // namespace kestrune
