#include "PrinterActions.h"

#include <QStringList>

#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "PrintUiCommandLines.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Spooler.h"

namespace PrinterAPI {

namespace {

using platform::win32::kSuccess;

constexpr quint32 kInvalidConsole = platform::win32::kInvalidParameter;
constexpr const wchar_t* kConsolePath = L"C:\\WINDOWS\\system32\\mmc.exe";
constexpr const wchar_t* kSnapInKey = L"SOFTWARE\\Microsoft\\MMC\\SnapIns";
constexpr const wchar_t* kSnapInNameValue = L"NameString";
constexpr std::size_t kSnapInNameBytes = 512;
constexpr int kConnectDialogWizard = 3;

quint32 shellOpen(const wchar_t* verb, const std::wstring& file, const std::wstring& parameters) {
    return platform::processes().shellExecute(verb, file, parameters, std::wstring(),
                                              platform::ShowMode::Normal, nullptr);
}

quint32 runPrintUiFor(const QString& queue, QString (*arguments)(const QString&)) {
    if (!isPrintUiSafeName(queue)) {
        return platform::win32::kInvalidPrinterName;
    }
    return runPrintUi(arguments(queue));
}

// The snap-in names, loaded on first use and kept for the process.
struct SnapInCache {
    std::mutex mutex;
    QStringList names;
};

SnapInCache& snapInCache() {
    static SnapInCache cache;
    return cache;
}

// The snap-ins of the system's own (64-bit) consoles: the key and each of its subkeys are read
// in the 64-bit view, which a 32-bit program on 64-bit Windows must ask for.
constexpr std::uint32_t kSnapInAccess = platform::kKeyRead | platform::kKeyWow64_64Key;

QStringList readSnapInNames(platform::Registry& registry) {
    QStringList names;
    std::unique_ptr<platform::RegistryKey> key;
    if (registry.openKey(platform::RegistryRoot::LocalMachine, kSnapInKey, kSnapInAccess, key) !=
        kSuccess) {
        std::fputs("Failed to open registry key.\n", stdout);
        std::fflush(stdout);
        return names;
    }
    std::vector<std::wstring> subkeys;
    key->subkeyNames(subkeys);
    for (const std::wstring& subkey : subkeys) {
        std::wstring name;
        const std::wstring path = std::wstring(kSnapInKey) + L"\\" + subkey;
        if (platform::reg::readString(registry, platform::RegistryRoot::LocalMachine, path,
                                      kSnapInNameValue, name, kSnapInAccess) == kSuccess &&
            (name.size() + 1) * 2 <= kSnapInNameBytes) {
            names.append(QString::fromStdWString(name));
        }
    }
    return names;
}

// Opens the queue with full access and reads its level-2 record.
quint32 openForChange(platform::Spooler& spooler, const QString& queue,
                      std::unique_ptr<platform::PrinterHandle>& handle,
                      platform::PrinterInfo2& record) {
    const quint32 code =
        spooler.openPrinter(queue.toStdWString(), platform::spool::kPrinterAllAccess, handle);
    return code != kSuccess ? code : handle->getPrinter2(record);
}

}  // namespace

// The system's own rundll32 and printui.dll, also for a 32-bit program on 64-bit Windows.
quint32 runPrintUi(const QString& arguments) {
    return platform::processes().shellExecuteNative(
        L"open", QString::fromLatin1(kRundll32Path).toStdWString(), arguments.toStdWString(),
        std::wstring(), platform::ShowMode::Normal, nullptr);
}

void runPrintUiAndWait(const QString& arguments) {
    const std::wstring commandLine = rundll32CommandLine(arguments).toStdWString();
    std::thread([commandLine] {
        platform::StartRequest request;
        request.commandLine = commandLine;
        request.nativeSystemFolder = true;
        std::unique_ptr<platform::Process> process;
        const quint32 error = platform::processes().start(request, process);
        if (error != kSuccess) {
            std::printf("Error creating process: %u\n", error);
            std::fflush(stdout);
            return;
        }
        process->wait(-1);
    }).detach();
}

quint32 printTestPage(const QString& queue) {
    return runPrintUiFor(queue, testPageArguments);
}
quint32 viewPrintQueue(const QString& queue) {
    return runPrintUiFor(queue, queueWindowArguments);
}
quint32 showPrintPreferences(const QString& queue) {
    return runPrintUiFor(queue, preferencesArguments);
}
quint32 showPrinterProperties(const QString& queue) {
    return runPrintUiFor(queue, propertiesArguments);
}

bool setDefaultPrinter(platform::Spooler& spooler, const QString& queue) {
    return spooler.setDefaultPrinter(queue.toStdWString()) == kSuccess;
}

quint32 setQueueShared(platform::Spooler& spooler, const QString& queue, bool share) {
    std::unique_ptr<platform::PrinterHandle> handle;
    platform::PrinterInfo2 record;
    if (const quint32 code = openForChange(spooler, queue, handle, record); code != kSuccess) {
        return code;
    }
    // Shared under the queue's own name, whatever share name it had before.
    record.shareName = record.printerName;
    if (share) {
        record.attributes |= platform::spool::kAttributeShared;
    } else {
        record.attributes &= ~platform::spool::kAttributeShared;
    }
    return handle->setPrinter2(record);
}

quint32 deleteQueue(platform::Spooler& spooler, const QString& queue, bool connection) {
    if (connection) {
        return spooler.deletePrinterConnection(queue.toStdWString());
    }
    std::unique_ptr<platform::PrinterHandle> handle;
    platform::PrinterInfo2 record;
    const quint32 code = openForChange(spooler, queue, handle, record);
    return code != kSuccess ? code : handle->deletePrinter();
}

void addPrinter(platform::Spooler& spooler, std::intptr_t ownerWindow, int wizard) {
    if (wizard == kConnectDialogWizard) {
        spooler.connectToPrinterDialog(ownerWindow);
        return;
    }
    runPrintUiAndWait(wizardArguments(wizard));
}

quint32 openManager(int argumentCount, int console) {
    if (argumentCount < 2) {
        return kTooFewArguments;
    }
    switch (console) {
        case 0:
            return shellOpen(L"runas", kConsolePath, L"printmanagement.msc");
        case 1:
            return shellOpen(L"open", L"devmgmt.msc", std::wstring());
        case 2:
            return shellOpen(L"open", L"control.exe", L"printers");
        default:
            return kInvalidConsole;
    }
}

bool checkMMCExists(platform::Registry& registry, int console) {
    const QString wanted = console == 0   ? QStringLiteral("Print Management")
                           : console == 1 ? QStringLiteral("Device Manager")
                                          : QString();
    SnapInCache& cache = snapInCache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (cache.names.isEmpty()) {
        cache.names = readSnapInNames(registry);
    }
    return cache.names.contains(wanted, Qt::CaseSensitive);
}

}  // namespace PrinterAPI
