#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Win32Error.h"

// The print spooler (winspool): print queues, their drivers and capabilities, jobs, the
// default printer, printer connections to other PCs' queues and change notifications.
namespace platform {

namespace spool {

// EnumPrinters flags (PRINTER_ENUM_*).
constexpr std::uint32_t kEnumLocal = 0x2;
constexpr std::uint32_t kEnumConnections = 0x4;

// Access rights of OpenPrinter (PRINTER_ACCESS_*, standard rights).
constexpr std::uint32_t kAccessAdminister = 0x4;
constexpr std::uint32_t kAccessUse = 0x8;
constexpr std::uint32_t kReadControl = 0x20000;
constexpr std::uint32_t kPrinterRead = 0x20008;  // PRINTER_READ: READ_CONTROL | use
constexpr std::uint32_t kPrinterAllAccess = 0xF000C;

// PRINTER_ATTRIBUTE_* bits.
constexpr std::uint32_t kAttributeQueued = 0x1;
constexpr std::uint32_t kAttributeDirect = 0x2;
constexpr std::uint32_t kAttributeDefault = 0x4;
constexpr std::uint32_t kAttributeShared = 0x8;
constexpr std::uint32_t kAttributeNetwork = 0x10;
constexpr std::uint32_t kAttributeHidden = 0x20;
constexpr std::uint32_t kAttributeLocal = 0x40;
constexpr std::uint32_t kAttributeEnableDevq = 0x80;
constexpr std::uint32_t kAttributeKeepPrintedJobs = 0x100;
constexpr std::uint32_t kAttributeDoCompleteFirst = 0x200;
constexpr std::uint32_t kAttributeWorkOffline = 0x400;
constexpr std::uint32_t kAttributeEnableBidi = 0x800;
constexpr std::uint32_t kAttributeRawOnly = 0x1000;
constexpr std::uint32_t kAttributePublished = 0x2000;

// PRINTER_STATUS_* bits.
constexpr std::uint32_t kStatusPaused = 0x1;
constexpr std::uint32_t kStatusError = 0x2;
constexpr std::uint32_t kStatusPendingDeletion = 0x4;
constexpr std::uint32_t kStatusPaperJam = 0x8;
constexpr std::uint32_t kStatusPaperOut = 0x10;
constexpr std::uint32_t kStatusManualFeed = 0x20;
constexpr std::uint32_t kStatusPaperProblem = 0x40;
constexpr std::uint32_t kStatusOffline = 0x80;
constexpr std::uint32_t kStatusBusy = 0x200;
constexpr std::uint32_t kStatusPrinting = 0x400;
constexpr std::uint32_t kStatusOutputBinFull = 0x800;
constexpr std::uint32_t kStatusNotAvailable = 0x1000;
constexpr std::uint32_t kStatusTonerLow = 0x20000;
constexpr std::uint32_t kStatusNoToner = 0x40000;
constexpr std::uint32_t kStatusUserIntervention = 0x100000;
constexpr std::uint32_t kStatusDoorOpen = 0x400000;

// DEVMODE dmFields bits used here.
constexpr std::uint32_t kDmPrintQuality = 0x400;
constexpr std::uint32_t kDmColor = 0x800;
constexpr std::uint32_t kDmDuplex = 0x1000;
constexpr std::uint32_t kDmYResolution = 0x2000;

// DeviceCapabilities queries (DC_*).
constexpr std::uint16_t kDcDuplex = 7;
constexpr std::uint16_t kDcEnumResolutions = 13;
constexpr std::uint16_t kDcPrintRatePpm = 31;
constexpr std::uint16_t kDcColorDevice = 32;

// Change flags (PRINTER_CHANGE_*).
constexpr std::uint32_t kChangeAddPrinter = 0x1;
constexpr std::uint32_t kChangeSetPrinter = 0x2;
constexpr std::uint32_t kChangeDeletePrinter = 0x4;
constexpr std::uint32_t kChangePrinter = 0xFF;
constexpr std::uint32_t kChangeAddJob = 0x100;
constexpr std::uint32_t kChangeSetJob = 0x200;
constexpr std::uint32_t kChangeDeleteJob = 0x400;
constexpr std::uint32_t kChangeJob = 0xFF00;

// Notification types, info and options flags.
constexpr std::uint16_t kNotifyTypePrinter = 0;
constexpr std::uint16_t kNotifyTypeJob = 1;
constexpr std::uint32_t kNotifyInfoDiscarded = 0x1;
constexpr std::uint32_t kNotifyOptionsRefresh = 0x1;

// PRINTER_NOTIFY_FIELD_* codes.
constexpr std::uint16_t kPrinterFieldServerName = 0;
constexpr std::uint16_t kPrinterFieldPrinterName = 1;
constexpr std::uint16_t kPrinterFieldShareName = 2;
constexpr std::uint16_t kPrinterFieldPortName = 3;
constexpr std::uint16_t kPrinterFieldDriverName = 4;
constexpr std::uint16_t kPrinterFieldComment = 5;
constexpr std::uint16_t kPrinterFieldLocation = 6;
constexpr std::uint16_t kPrinterFieldDevMode = 7;
constexpr std::uint16_t kPrinterFieldSecurityDescriptor = 12;
constexpr std::uint16_t kPrinterFieldAttributes = 13;
constexpr std::uint16_t kPrinterFieldPriority = 14;
constexpr std::uint16_t kPrinterFieldStatus = 18;
constexpr std::uint16_t kPrinterFieldCJobs = 20;
constexpr std::uint16_t kPrinterFieldFriendlyName = 27;

// JOB_NOTIFY_FIELD_* codes.
constexpr std::uint16_t kJobFieldPrinterName = 0;
constexpr std::uint16_t kJobFieldMachineName = 1;
constexpr std::uint16_t kJobFieldUserName = 3;
constexpr std::uint16_t kJobFieldStatus = 10;
constexpr std::uint16_t kJobFieldStatusString = 11;
constexpr std::uint16_t kJobFieldDocument = 13;
constexpr std::uint16_t kJobFieldSubmitted = 16;
constexpr std::uint16_t kJobFieldTotalPages = 20;
constexpr std::uint16_t kJobFieldPagesPrinted = 21;
constexpr std::uint16_t kJobFieldTotalBytes = 22;
constexpr std::uint16_t kJobFieldBytesPrinted = 23;

}  // namespace spool

// The parts of a DEVMODE that callers read.
struct DevMode {
    std::uint32_t fields = 0;
    std::int16_t printQuality = 0;  // horizontal dpi when positive
    std::int16_t yResolution = 0;
    std::int16_t duplex = 0;
    std::int16_t color = 0;
};

// PRINTER_INFO_1.
struct PrinterInfo1 {
    std::uint32_t flags = 0;
    std::wstring description;
    std::wstring name;
    std::wstring comment;
};

// PRINTER_INFO_2. Absent texts are empty; an absent device mode is nullopt.
struct PrinterInfo2 {
    std::wstring serverName;
    std::wstring printerName;
    std::wstring shareName;
    std::wstring portName;
    std::wstring driverName;
    std::wstring comment;
    std::wstring location;
    std::optional<DevMode> devMode;
    std::wstring sepFile;
    std::wstring printProcessor;
    std::wstring dataType;
    std::wstring parameters;
    std::uint32_t attributes = 0;
    std::uint32_t priority = 0;
    std::uint32_t defaultPriority = 0;
    std::uint32_t startTime = 0;
    std::uint32_t untilTime = 0;
    std::uint32_t status = 0;
    std::uint32_t cJobs = 0;
    std::uint32_t averagePpm = 0;
};

// JOB_INFO_1 (the submission time as UTC text "YYYY-MM-DDTHH:MM:SS").
struct JobInfo1 {
    std::uint32_t jobId = 0;
    std::wstring printerName;
    std::wstring machineName;
    std::wstring userName;
    std::wstring document;
    std::wstring dataType;
    std::wstring statusText;
    std::uint32_t status = 0;
    std::uint32_t priority = 0;
    std::uint32_t position = 0;
    std::uint32_t totalPages = 0;
    std::uint32_t pagesPrinted = 0;
    std::wstring submitted;
};

// What a size-only call (no buffer) of EnumPrinters reports: the bytes a buffer needs and the
// number of records returned, which is always 0 since nothing fitted.
struct EnumerationSize {
    std::uint32_t needed = 0;
    std::uint32_t returned = 0;
};

// PRINTER_NOTIFY_OPTIONS.
struct NotifyOptionsType {
    std::uint16_t type = spool::kNotifyTypePrinter;
    std::vector<std::uint16_t> fields;
};
struct NotifyOptions {
    std::uint32_t version = 2;
    std::uint32_t flags = 0;
    std::vector<NotifyOptionsType> types;
};

// PRINTER_NOTIFY_INFO_DATA: text fields carry `text`, numeric ones `words`.
struct NotifyInfoData {
    std::uint16_t type = spool::kNotifyTypePrinter;
    std::uint16_t field = 0;
    std::uint32_t id = 0;  // the job id for job entries
    bool hasText = false;
    std::wstring text;
    std::uint32_t words[2] = {0, 0};
};

// PRINTER_NOTIFY_INFO.
struct NotifyInfo {
    std::uint32_t version = 2;
    std::uint32_t flags = 0;
    std::vector<NotifyInfoData> data;
};

// A change notification (FindFirstPrinterChangeNotification); closed by the destructor.
class ChangeNotification {
public:
    virtual ~ChangeNotification() = default;

    // FindNextPrinterChangeNotification: the change flags since the last call and, when the
    // notification was registered with options, the info block (null otherwise). With
    // `options` carrying kNotifyOptionsRefresh, the info holds every requested field's current
    // value (use it after an info block came with kNotifyInfoDiscarded).
    virtual win32::Error next(std::uint32_t& change, const NotifyOptions* options,
                              std::unique_ptr<NotifyInfo>& info) = 0;
};

// An open queue or print server (OpenPrinter); closed by the destructor (ClosePrinter).
class PrinterHandle {
public:
    virtual ~PrinterHandle() = default;

    virtual win32::Error getPrinter2(PrinterInfo2& info) = 0;
    // SetPrinter level 2, command 0. The name, share name, attributes, comment, location, port,
    // driver, priority and status are taken from `info`.
    virtual win32::Error setPrinter2(const PrinterInfo2& info) = 0;
    virtual win32::Error deletePrinter() = 0;
    // GetPrinterDriver level 8, current environment: dwPrinterDriverAttributes.
    virtual win32::Error driverAttributes(std::uint32_t& attributes) = 0;
    virtual win32::Error enumJobs1(std::uint32_t firstJob, std::uint32_t count,
                                   std::vector<JobInfo1>& jobs) = 0;
    // FindFirstPrinterChangeNotification with a filter of change flags and optional options.
    virtual win32::Error findFirstChange(std::uint32_t filter, const NotifyOptions* options,
                                         std::unique_ptr<ChangeNotification>& notification) = 0;
};

// Errors specific to the spooler, besides those of Win32Error.h (kInvalidPrinterName,
// kRpcServerUnavailable and the rest).
namespace spool {
constexpr win32::Error kErrorWaitTimeout = 258;
constexpr win32::Error kErrorUnknownPrinterDriver = 1797;
constexpr win32::Error kErrorPrinterAlreadyExists = 1802;
}  // namespace spool

class Spooler {
public:
    virtual ~Spooler() = default;

    // EnumPrinters at level 1 or 2 with kEnumLocal or kEnumConnections, into whole records.
    virtual win32::Error enumPrinters1(std::uint32_t flags,
                                       std::vector<PrinterInfo1>& printers) = 0;
    virtual win32::Error enumPrinters2(std::uint32_t flags,
                                       std::vector<PrinterInfo2>& printers) = 0;
    // EnumPrinters called without a buffer, as Windows answers it: kInsufficientBuffer with the
    // bytes needed when there is something to return, success with 0 bytes when not; in both
    // cases no record is returned.
    virtual win32::Error enumPrintersSize(std::uint32_t flags, std::uint32_t level,
                                          EnumerationSize& size) = 0;

    // OpenPrinter: a queue by name (a connection by "\\server\queue"), or the print server by
    // "\\computer". 1801 for an unknown name, 5 for a refused access, 1722 while the spooler
    // service does not run.
    virtual win32::Error openPrinter(const std::wstring& name, std::uint32_t access,
                                     std::unique_ptr<PrinterHandle>& handle) = 0;

    // GetDefaultPrinter / SetDefaultPrinter of the current user. kFileNotFound when none is set.
    virtual win32::Error defaultPrinter(std::wstring& name) = 0;
    virtual win32::Error setDefaultPrinter(const std::wstring& name) = 0;

    // DeviceCapabilities(printer, port, capability, output, no device mode). `output` receives
    // the values (for kDcEnumResolutions: horizontal, vertical, ... per pair). The answer is the
    // function's result: the count or value, -1 on error.
    virtual std::int32_t deviceCapabilities(const std::wstring& printer, const std::wstring& port,
                                            std::uint16_t capability,
                                            std::vector<std::int32_t>* output) = 0;

    // AddPrinterConnection("\\host\share") and DeletePrinterConnection(name).
    virtual win32::Error addPrinterConnection(const std::wstring& path) = 0;
    virtual win32::Error deletePrinterConnection(const std::wstring& name) = 0;

    // Waits until one of the notifications is signalled (any number of them: the backend splits
    // the wait where the system limits it) and sets `index`. kErrorWaitTimeout when the timeout
    // passed; a negative timeout waits for ever.
    virtual win32::Error waitForChange(const std::vector<ChangeNotification*>& notifications,
                                       int timeoutMs, std::size_t& index) = 0;

    // ConnectToPrinterDlg: asks the user for a shared printer and connects it. kSuccess when a
    // connection was made, kCancelled when the user cancelled, else the connection's error.
    virtual win32::Error connectToPrinterDialog(std::intptr_t ownerWindow) = 0;
};

// The Spooler of the system this process runs on (see Platform.h).
Spooler& spooler();

}  // namespace platform
