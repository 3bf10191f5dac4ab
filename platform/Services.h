#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Win32Error.h"

// The service control manager (OpenSCManager, OpenService, QueryServiceStatus[Ex],
// ControlServiceEx, ChangeServiceConfig, StartService).
namespace platform {

namespace svc {

// Access rights of the manager (SC_MANAGER_*).
constexpr std::uint32_t kManagerConnect = 0x0001;
constexpr std::uint32_t kManagerEnumerateService = 0x0004;
constexpr std::uint32_t kManagerQueryLockStatus = 0x0010;
constexpr std::uint32_t kManagerAllAccess = 0xF003F;

// Access rights of a service (SERVICE_*).
constexpr std::uint32_t kQueryConfig = 0x0001;
constexpr std::uint32_t kChangeConfig = 0x0002;
constexpr std::uint32_t kQueryStatus = 0x0004;
constexpr std::uint32_t kEnumerateDependents = 0x0008;
constexpr std::uint32_t kStart = 0x0010;
constexpr std::uint32_t kStop = 0x0020;
constexpr std::uint32_t kInterrogate = 0x0080;
constexpr std::uint32_t kAllAccess = 0xF01FF;

// Current states (SERVICE_STOPPED ... SERVICE_PAUSED).
constexpr std::uint32_t kStopped = 1;
constexpr std::uint32_t kStartPending = 2;
constexpr std::uint32_t kStopPending = 3;
constexpr std::uint32_t kRunning = 4;
constexpr std::uint32_t kContinuePending = 5;
constexpr std::uint32_t kPausePending = 6;
constexpr std::uint32_t kPaused = 7;

// Start types.
constexpr std::uint32_t kAutoStart = 2;
constexpr std::uint32_t kDemandStart = 3;
constexpr std::uint32_t kDisabled = 4;
// "Leave this setting as it is" for ChangeServiceConfig.
constexpr std::uint32_t kNoChange = 0xFFFFFFFF;

// Service types and the accepted-controls bit for stopping.
constexpr std::uint32_t kWin32OwnProcess = 0x10;
constexpr std::uint32_t kAcceptStop = 0x1;

// Controls (SERVICE_CONTROL_*).
constexpr std::uint32_t kControlStop = 1;

// Stop reasons of ControlServiceEx (SERVICE_STOP_REASON_*): a flag, a major reason in bits
// 16-23 and a minor reason in bits 0-15.
constexpr std::uint32_t kStopReasonFlagPlanned = 0x40000000;
constexpr std::uint32_t kStopReasonFlagMax = 0x80000000;
constexpr std::uint32_t kStopReasonMajorMax = 0x00070000;
constexpr std::uint32_t kStopReasonMinorMax = 0x0000003F;

// Errors of the service control manager.
constexpr win32::Error kErrorDependentServicesRunning = 1051;
constexpr win32::Error kErrorServiceRequestTimeout = 1053;
constexpr win32::Error kErrorServiceAlreadyRunning = 1056;
constexpr win32::Error kErrorServiceDisabled = 1058;
constexpr win32::Error kErrorServiceDoesNotExist = 1060;
constexpr win32::Error kErrorServiceCannotAcceptControl = 1061;
constexpr win32::Error kErrorServiceNotActive = 1062;
constexpr win32::Error kErrorServiceMarkedForDelete = 1072;
constexpr win32::Error kErrorInvalidServiceControl = 1052;

}  // namespace svc

// SERVICE_STATUS.
struct ServiceStatus {
    std::uint32_t serviceType = svc::kWin32OwnProcess;
    std::uint32_t currentState = svc::kStopped;
    std::uint32_t controlsAccepted = 0;
    std::uint32_t win32ExitCode = 0;
    std::uint32_t serviceSpecificExitCode = 0;
    std::uint32_t checkPoint = 0;
    std::uint32_t waitHint = 0;  // milliseconds until the next check point is due
};

// SERVICE_STATUS_PROCESS (QueryServiceStatusEx, SC_STATUS_PROCESS_INFO).
struct ServiceStatusProcess : ServiceStatus {
    std::uint32_t processId = 0;  // 0 while the service does not run
    std::uint32_t serviceFlags = 0;
};

// An open service (OpenService); closed by the destructor (CloseServiceHandle). Each call needs
// its access right on the handle and answers kAccessDenied without it.
class ServiceHandle {
public:
    virtual ~ServiceHandle() = default;

    // QueryServiceStatus / QueryServiceStatusEx (SC_STATUS_PROCESS_INFO); kQueryStatus.
    virtual win32::Error queryStatus(ServiceStatus& status) = 0;
    virtual win32::Error queryStatusProcess(ServiceStatusProcess& status) = 0;
    // ControlServiceExW(kControlStop, SERVICE_CONTROL_STATUS_REASON_INFO) with a stop reason
    // and an optional comment; `status` receives the service's status after the request.
    // kErrorServiceNotActive when it is stopped, kErrorServiceCannotAcceptControl while it is
    // starting or already stopping, kInvalidParameter for a reason Windows does not accept.
    virtual win32::Error stop(std::uint32_t reason, const std::wstring& comment,
                              ServiceStatus& status) = 0;
    // ChangeServiceConfigW with kNoChange for everything but the three values given (any of
    // them may be kNoChange too); kChangeConfig. kErrorServiceMarkedForDelete on a service
    // marked for deletion.
    virtual win32::Error changeConfig(std::uint32_t serviceType, std::uint32_t startType,
                                      std::uint32_t errorControl) = 0;
    // StartServiceW without arguments; kStart. kErrorServiceAlreadyRunning unless stopped,
    // kErrorServiceDisabled, kErrorServiceMarkedForDelete.
    virtual win32::Error start() = 0;
};

// An open service control manager (OpenSCManager); closed by the destructor.
class ServiceManager {
public:
    virtual ~ServiceManager() = default;

    // OpenServiceW by its service name (any letter case). Needs kManagerConnect on the
    // manager. kErrorServiceDoesNotExist for an unknown name, kAccessDenied for rights the
    // caller's token does not hold.
    virtual win32::Error openService(const std::wstring& name, std::uint32_t access,
                                     std::unique_ptr<ServiceHandle>& service) = 0;
};

class Services {
public:
    virtual ~Services() = default;

    // OpenSCManagerW(local machine, the active database, access). kAccessDenied for rights
    // beyond connecting and enumerating when the caller is not elevated.
    virtual win32::Error openManager(std::uint32_t access,
                                     std::unique_ptr<ServiceManager>& manager) = 0;
};

// The Services of the system this process runs on (see Platform.h).
Services& services();

}  // namespace platform
