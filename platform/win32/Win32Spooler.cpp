// The print spooler through winspool: one helper per call, each filling a byte buffer that
// grows to the size the spooler asks for, then copied into the interface's records.
#include <windows.h>
// (windows.h first: winspool.h needs its types.)
#include <winspool.h>

#include <algorithm>
#include <cstdio>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using Bytes = std::vector<unsigned char>;
using UniquePrinter = Unique<HANDLE, ClosePrinter>;
using UniqueNotification = Unique<HANDLE, FindClosePrinterChangeNotification>;

// Calls `call(buffer, size, &needed)` until the buffer is large enough: the spooler answers
// ERROR_INSUFFICIENT_BUFFER with the size it needs, which may have grown by the next call.
template <class Call>
Error growingCall(Bytes& buffer, Call call) {
    buffer.assign(1024, 0);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD needed = 0;
        setLastError(kSuccess);
        if (call(buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) {
            return kSuccess;
        }
        const Error error = lastError();
        if (error == kSuccess) {
            return kCallNotImplemented;
        }
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
            return error;
        }
        buffer.assign(needed, 0);
    }
    return kInsufficientBuffer;
}

std::wstring text(const wchar_t* value) {
    return value != nullptr ? std::wstring(value) : std::wstring();
}

// An optional text parameter: null for empty.
wchar_t* optionalText(const std::wstring& value) {
    return value.empty() ? nullptr : const_cast<wchar_t*>(value.c_str());
}

DevMode devModeOf(const DEVMODEW& mode) {
    DevMode result;
    result.fields = mode.dmFields;
    result.printQuality = mode.dmPrintQuality;
    result.yResolution = mode.dmYResolution;
    result.duplex = mode.dmDuplex;
    result.color = mode.dmColor;
    return result;
}

PrinterInfo1 printerInfo1Of(const PRINTER_INFO_1W& info) {
    return {info.Flags, text(info.pDescription), text(info.pName), text(info.pComment)};
}

PrinterInfo2 printerInfo2Of(const PRINTER_INFO_2W& info) {
    PrinterInfo2 result;
    result.serverName = text(info.pServerName);
    result.printerName = text(info.pPrinterName);
    result.shareName = text(info.pShareName);
    result.portName = text(info.pPortName);
    result.driverName = text(info.pDriverName);
    result.comment = text(info.pComment);
    result.location = text(info.pLocation);
    if (info.pDevMode != nullptr) {
        result.devMode = devModeOf(*info.pDevMode);
    }
    result.sepFile = text(info.pSepFile);
    result.printProcessor = text(info.pPrintProcessor);
    result.dataType = text(info.pDatatype);
    result.parameters = text(info.pParameters);
    result.attributes = info.Attributes;
    result.priority = info.Priority;
    result.defaultPriority = info.DefaultPriority;
    result.startTime = info.StartTime;
    result.untilTime = info.UntilTime;
    result.status = info.Status;
    result.cJobs = info.cJobs;
    result.averagePpm = info.AveragePPM;
    return result;
}

// "YYYY-MM-DDTHH:MM:SS" from the job's submission time (UTC, as the spooler keeps it).
std::wstring submittedText(const SYSTEMTIME& time) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"%04u-%02u-%02uT%02u:%02u:%02u", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return buffer;
}

JobInfo1 jobInfo1Of(const JOB_INFO_1W& job) {
    JobInfo1 result;
    result.jobId = job.JobId;
    result.printerName = text(job.pPrinterName);
    result.machineName = text(job.pMachineName);
    result.userName = text(job.pUserName);
    result.document = text(job.pDocument);
    result.dataType = text(job.pDatatype);
    result.statusText = text(job.pStatus);
    result.status = job.Status;
    result.priority = job.Priority;
    result.position = job.Position;
    result.totalPages = job.TotalPages;
    result.pagesPrinted = job.PagesPrinted;
    result.submitted = submittedText(job.Submitted);
    return result;
}

// The PRINTER_NOTIFY_OPTIONS block for a call, pointing into the fields it keeps.
class NativeNotifyOptions {
public:
    explicit NativeNotifyOptions(const NotifyOptions& options) {
        types_.reserve(options.types.size());
        for (const NotifyOptionsType& type : options.types) {
            PRINTER_NOTIFY_OPTIONS_TYPE native{};
            native.Type = type.type;
            native.Count = static_cast<DWORD>(type.fields.size());
            native.pFields = const_cast<PWORD>(type.fields.data());
            types_.push_back(native);
        }
        options_.Version = options.version;
        options_.Flags = options.flags;
        options_.Count = static_cast<DWORD>(types_.size());
        options_.pTypes = types_.data();
    }
    PRINTER_NOTIFY_OPTIONS* get() { return &options_; }

private:
    std::vector<PRINTER_NOTIFY_OPTIONS_TYPE> types_;
    PRINTER_NOTIFY_OPTIONS options_{};
};

// Printer fields that carry text (the rest carry two numbers); pointers such as the device
// mode are reported as no text.
bool isTextField(WORD type, WORD field) {
    if (type == PRINTER_NOTIFY_TYPE) {
        switch (field) {
            case PRINTER_NOTIFY_FIELD_SERVER_NAME:
            case PRINTER_NOTIFY_FIELD_PRINTER_NAME:
            case PRINTER_NOTIFY_FIELD_SHARE_NAME:
            case PRINTER_NOTIFY_FIELD_PORT_NAME:
            case PRINTER_NOTIFY_FIELD_DRIVER_NAME:
            case PRINTER_NOTIFY_FIELD_COMMENT:
            case PRINTER_NOTIFY_FIELD_LOCATION:
            case PRINTER_NOTIFY_FIELD_SEPFILE:
            case PRINTER_NOTIFY_FIELD_PRINT_PROCESSOR:
            case PRINTER_NOTIFY_FIELD_PARAMETERS:
            case PRINTER_NOTIFY_FIELD_DATATYPE:
                return true;
            default:
                return false;
        }
    }
    switch (field) {
        case JOB_NOTIFY_FIELD_PRINTER_NAME:
        case JOB_NOTIFY_FIELD_MACHINE_NAME:
        case JOB_NOTIFY_FIELD_PORT_NAME:
        case JOB_NOTIFY_FIELD_USER_NAME:
        case JOB_NOTIFY_FIELD_NOTIFY_NAME:
        case JOB_NOTIFY_FIELD_DATATYPE:
        case JOB_NOTIFY_FIELD_PRINT_PROCESSOR:
        case JOB_NOTIFY_FIELD_PARAMETERS:
        case JOB_NOTIFY_FIELD_DRIVER_NAME:
        case JOB_NOTIFY_FIELD_STATUS_STRING:
        case JOB_NOTIFY_FIELD_DOCUMENT:
            return true;
        default:
            return false;
    }
}

std::unique_ptr<NotifyInfo> notifyInfoOf(const PRINTER_NOTIFY_INFO& native) {
    auto info = std::make_unique<NotifyInfo>();
    info->version = native.Version;
    info->flags = native.Flags;
    for (DWORD i = 0; i < native.Count; ++i) {
        const PRINTER_NOTIFY_INFO_DATA& entry = native.aData[i];
        NotifyInfoData data;
        data.type = entry.Type;
        data.field = entry.Field;
        data.id = entry.Id;
        if (entry.Field == JOB_NOTIFY_FIELD_SUBMITTED && entry.Type == JOB_NOTIFY_TYPE &&
            entry.NotifyData.Data.pBuf != nullptr) {
            data.hasText = true;
            data.text = submittedText(*static_cast<const SYSTEMTIME*>(entry.NotifyData.Data.pBuf));
        } else if (isTextField(entry.Type, entry.Field)) {
            data.hasText = true;
            const auto* chars = static_cast<const wchar_t*>(entry.NotifyData.Data.pBuf);
            data.text = chars != nullptr ? std::wstring(chars) : std::wstring();
        } else {
            data.words[0] = entry.NotifyData.adwData[0];
            data.words[1] = entry.NotifyData.adwData[1];
        }
        info->data.push_back(std::move(data));
    }
    return info;
}

using NotifyInfoBlock = Unique<PRINTER_NOTIFY_INFO*, FreePrinterNotifyInfo>;

class Win32ChangeNotification final : public ChangeNotification {
public:
    explicit Win32ChangeNotification(UniqueNotification handle) : handle_(std::move(handle)) {}

    Error next(std::uint32_t& change, const NotifyOptions* options,
               std::unique_ptr<NotifyInfo>& info) override {
        info.reset();
        DWORD changed = 0;
        PRINTER_NOTIFY_INFO* native = nullptr;
        std::unique_ptr<NativeNotifyOptions> nativeOptions;
        if (options != nullptr) {
            nativeOptions = std::make_unique<NativeNotifyOptions>(*options);
        }
        if (!FindNextPrinterChangeNotification(handle_.get(), &changed,
                                               nativeOptions ? nativeOptions->get() : nullptr,
                                               reinterpret_cast<void**>(&native))) {
            return lastError();
        }
        const NotifyInfoBlock owned(native);
        change = changed;
        if (native != nullptr) {
            info = notifyInfoOf(*native);
        }
        return kSuccess;
    }

    HANDLE handle() const { return handle_.get(); }

private:
    UniqueNotification handle_;
};

class Win32PrinterHandle final : public PrinterHandle {
public:
    explicit Win32PrinterHandle(UniquePrinter printer) : printer_(std::move(printer)) {}

    Error getPrinter2(PrinterInfo2& info) override {
        Bytes buffer;
        if (const Error error = printer2Bytes(buffer)) {
            return error;
        }
        info = printerInfo2Of(*reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data()));
        return kSuccess;
    }

    Error setPrinter2(const PrinterInfo2& info) override {
        // The fields the interface does not carry (device mode, separator file, processor...)
        // stay as the spooler has them.
        Bytes buffer;
        if (const Error error = printer2Bytes(buffer)) {
            return error;
        }
        auto* native = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
        native->pPrinterName = const_cast<wchar_t*>(info.printerName.c_str());
        native->pShareName = optionalText(info.shareName);
        native->pComment = optionalText(info.comment);
        native->pLocation = optionalText(info.location);
        native->pPortName = const_cast<wchar_t*>(info.portName.c_str());
        native->pDriverName = const_cast<wchar_t*>(info.driverName.c_str());
        native->Attributes = info.attributes;
        native->Priority = info.priority;
        native->Status = info.status;
        // A null security descriptor leaves the queue's as it is.
        native->pSecurityDescriptor = nullptr;
        if (!SetPrinterW(printer_.get(), 2, buffer.data(), 0)) {
            return lastError();
        }
        return kSuccess;
    }

    Error deletePrinter() override {
        return DeletePrinter(printer_.get()) ? kSuccess : lastError();
    }

    Error driverAttributes(std::uint32_t& attributes) override {
        Bytes buffer;
        const Error error = growingCall(buffer, [this](BYTE* data, DWORD size, DWORD* needed) {
            return GetPrinterDriverW(printer_.get(), nullptr, 8, data, size, needed) != FALSE;
        });
        if (error != kSuccess) {
            return error;
        }
        attributes =
            reinterpret_cast<const DRIVER_INFO_8W*>(buffer.data())->dwPrinterDriverAttributes;
        return kSuccess;
    }

    Error enumJobs1(std::uint32_t firstJob, std::uint32_t count,
                    std::vector<JobInfo1>& jobs) override {
        jobs.clear();
        Bytes buffer;
        DWORD returned = 0;
        const Error error = growingCall(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
            return EnumJobsW(printer_.get(), firstJob, count, 1, data, size, needed, &returned) !=
                   FALSE;
        });
        if (error != kSuccess) {
            return error;
        }
        const auto* records = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            jobs.push_back(jobInfo1Of(records[i]));
        }
        return kSuccess;
    }

    Error findFirstChange(std::uint32_t filter, const NotifyOptions* options,
                          std::unique_ptr<ChangeNotification>& notification) override {
        notification.reset();
        std::unique_ptr<NativeNotifyOptions> nativeOptions;
        if (options != nullptr) {
            nativeOptions = std::make_unique<NativeNotifyOptions>(*options);
        }
        setLastError(kSuccess);
        const HANDLE handle = FindFirstPrinterChangeNotification(
            printer_.get(), filter, 0, nativeOptions ? nativeOptions->get() : nullptr);
        if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
            const Error error = lastError();
            return error != kSuccess ? error : kCallNotImplemented;
        }
        notification = std::make_unique<Win32ChangeNotification>(UniqueNotification(handle));
        return kSuccess;
    }

private:
    Error printer2Bytes(Bytes& buffer) {
        return growingCall(buffer, [this](BYTE* data, DWORD size, DWORD* needed) {
            return GetPrinterW(printer_.get(), 2, data, size, needed) != FALSE;
        });
    }

    UniquePrinter printer_;
};

// WaitForMultipleObjects takes at most MAXIMUM_WAIT_OBJECTS handles. Longer lists are waited
// on in turns of that many, each turn a short slice, until one is signalled or time is up.
constexpr DWORD kSliceMs = 10;

Error waitInTurns(const std::vector<HANDLE>& handles, int timeoutMs, std::size_t& index) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        for (std::size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
            const DWORD count = static_cast<DWORD>(
                std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - first));
            const DWORD slice = handles.size() <= MAXIMUM_WAIT_OBJECTS
                                    ? (timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs))
                                    : kSliceMs;
            const DWORD result = WaitForMultipleObjects(count, &handles[first], FALSE, slice);
            if (result < WAIT_OBJECT_0 + count) {
                index = first + (result - WAIT_OBJECT_0);
                return kSuccess;
            }
            if (result == WAIT_FAILED) {
                return lastError();
            }
        }
        if (timeoutMs >= 0 && GetTickCount64() - start >= static_cast<ULONGLONG>(timeoutMs)) {
            return spool::kErrorWaitTimeout;
        }
    }
}

class Win32Spooler final : public Spooler {
public:
    Error enumPrinters1(std::uint32_t flags, std::vector<PrinterInfo1>& printers) override {
        printers.clear();
        Bytes buffer;
        DWORD returned = 0;
        if (const Error error = enumPrinters(flags, 1, buffer, returned)) {
            return error;
        }
        const auto* records = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            printers.push_back(printerInfo1Of(records[i]));
        }
        return kSuccess;
    }

    Error enumPrinters2(std::uint32_t flags, std::vector<PrinterInfo2>& printers) override {
        printers.clear();
        Bytes buffer;
        DWORD returned = 0;
        if (const Error error = enumPrinters(flags, 2, buffer, returned)) {
            return error;
        }
        const auto* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            printers.push_back(printerInfo2Of(records[i]));
        }
        return kSuccess;
    }

    Error enumPrintersSize(std::uint32_t flags, std::uint32_t level,
                           EnumerationSize& size) override {
        DWORD needed = 0, returned = 0;
        const BOOL done = EnumPrintersW(flags, nullptr, level, nullptr, 0, &needed, &returned);
        size.needed = needed;
        size.returned = returned;
        return done ? kSuccess : lastError();
    }

    Error openPrinter(const std::wstring& name, std::uint32_t access,
                      std::unique_ptr<PrinterHandle>& handle) override {
        handle.reset();
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
        HANDLE printer = nullptr;
        if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) {
            return lastError();
        }
        handle = std::make_unique<Win32PrinterHandle>(UniquePrinter(printer));
        return kSuccess;
    }

    Error defaultPrinter(std::wstring& name) override {
        name.clear();
        DWORD size = 0;
        GetDefaultPrinterW(nullptr, &size);
        if (size == 0) {
            return lastError();
        }
        std::wstring buffer(size, L'\0');
        if (!GetDefaultPrinterW(&buffer[0], &size)) {
            return lastError();
        }
        buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
        name = buffer;
        return kSuccess;
    }

    Error setDefaultPrinter(const std::wstring& name) override {
        return SetDefaultPrinterW(name.c_str()) ? kSuccess : lastError();
    }

    std::int32_t deviceCapabilities(const std::wstring& printer, const std::wstring& port,
                                    std::uint16_t capability,
                                    std::vector<std::int32_t>* output) override {
        const int count =
            DeviceCapabilitiesW(printer.c_str(), optionalText(port), capability, nullptr, nullptr);
        if (output == nullptr || count <= 0 || capability != spool::kDcEnumResolutions) {
            return count;
        }
        // Resolutions come as pairs of LONGs.
        std::vector<LONG> values(static_cast<std::size_t>(count) * 2);
        const int filled = DeviceCapabilitiesW(printer.c_str(), optionalText(port), capability,
                                               reinterpret_cast<wchar_t*>(values.data()), nullptr);
        if (filled < 0) {
            return filled;
        }
        values.resize(static_cast<std::size_t>(std::min(filled, count)) * 2);
        output->assign(values.begin(), values.end());
        return filled;
    }

    Error addPrinterConnection(const std::wstring& path) override {
        return AddPrinterConnectionW(const_cast<wchar_t*>(path.c_str())) ? kSuccess : lastError();
    }

    Error deletePrinterConnection(const std::wstring& name) override {
        return DeletePrinterConnectionW(const_cast<wchar_t*>(name.c_str())) ? kSuccess
                                                                            : lastError();
    }

    Error waitForChange(const std::vector<ChangeNotification*>& notifications, int timeoutMs,
                        std::size_t& index) override {
        std::vector<HANDLE> handles;
        for (ChangeNotification* notification : notifications) {
            const auto* native = dynamic_cast<const Win32ChangeNotification*>(notification);
            if (native == nullptr) {
                return kInvalidHandle;
            }
            handles.push_back(native->handle());
        }
        if (handles.empty()) {
            return kInvalidParameter;
        }
        return waitInTurns(handles, timeoutMs, index);
    }

    Error connectToPrinterDialog(std::intptr_t ownerWindow) override {
        setLastError(kSuccess);
        const HANDLE printer = ConnectToPrinterDlg(reinterpret_cast<HWND>(ownerWindow), 0);
        if (printer == nullptr) {
            const Error error = lastError();
            return error == kSuccess ? kCancelled : error;
        }
        ClosePrinter(printer);
        return kSuccess;
    }

private:
    static Error enumPrinters(std::uint32_t flags, DWORD level, Bytes& buffer, DWORD& returned) {
        return growingCall(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
            return EnumPrintersW(flags, nullptr, level, data, size, needed, &returned) != FALSE;
        });
    }
};

}  // namespace

std::unique_ptr<Spooler> makeSpooler() {
    return std::make_unique<Win32Spooler>();
}

}  // namespace platform::win32
