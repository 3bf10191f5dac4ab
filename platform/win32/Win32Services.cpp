// The service control manager through advapi32: manager and service handles are SC_HANDLEs
// closed by RAII; a stop carries its reason where the system takes one.
#include <windows.h>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueService = Unique<SC_HANDLE, CloseServiceHandle>;

// ControlServiceExW, looked up at run time: Wine's advapi32 has no such export, and linking it
// would keep Kestrune.exe from loading there.
using ControlServiceExFunction = BOOL(WINAPI*)(SC_HANDLE, DWORD, DWORD, PVOID);

// The general flags of a stop reason, of which Windows requires exactly one.
constexpr std::uint32_t kStopReasonGeneralFlags =
    0x10000000 | 0x20000000 | svc::kStopReasonFlagPlanned;

ServiceStatus statusOf(const SERVICE_STATUS& status) {
    ServiceStatus result;
    result.serviceType = status.dwServiceType;
    result.currentState = status.dwCurrentState;
    result.controlsAccepted = status.dwControlsAccepted;
    result.win32ExitCode = status.dwWin32ExitCode;
    result.serviceSpecificExitCode = status.dwServiceSpecificExitCode;
    result.checkPoint = status.dwCheckPoint;
    result.waitHint = status.dwWaitHint;
    return result;
}

ServiceStatusProcess statusOf(const SERVICE_STATUS_PROCESS& status) {
    ServiceStatusProcess result;
    result.serviceType = status.dwServiceType;
    result.currentState = status.dwCurrentState;
    result.controlsAccepted = status.dwControlsAccepted;
    result.win32ExitCode = status.dwWin32ExitCode;
    result.serviceSpecificExitCode = status.dwServiceSpecificExitCode;
    result.checkPoint = status.dwCheckPoint;
    result.waitHint = status.dwWaitHint;
    result.processId = status.dwProcessId;
    result.serviceFlags = status.dwServiceFlags;
    return result;
}

// The status a stop request leaves. ControlServiceEx fills it in only for these answers (and
// ControlService likewise).
bool stopReportsStatus(Error error) {
    return error == kSuccess || error == svc::kErrorInvalidServiceControl ||
           error == svc::kErrorServiceCannotAcceptControl || error == svc::kErrorServiceNotActive;
}

// ControlServiceExW with the stop reason and comment.
Error stopWithReason(ControlServiceExFunction controlServiceEx, SC_HANDLE service,
                     std::uint32_t reason, const std::wstring& comment, ServiceStatus& status) {
    std::wstring commentText = comment;
    SERVICE_CONTROL_STATUS_REASON_PARAMSW parameters{};
    parameters.dwReason = reason;
    parameters.pszComment = comment.empty() ? nullptr : &commentText[0];
    const Error error = controlServiceEx(service, SERVICE_CONTROL_STOP,
                                         SERVICE_CONTROL_STATUS_REASON_INFO, &parameters)
                            ? kSuccess
                            : failureReason();
    if (stopReportsStatus(error)) {
        const SERVICE_STATUS_PROCESS& reported = parameters.ServiceStatus;
        status = statusOf(reported);
    }
    return error;
}

// ControlService, where the system has no ControlServiceExW (Wine). The reason is checked as
// ControlServiceEx checks it, so a caller's fault shows on every system; it is not recorded.
Error stopWithoutReason(SC_HANDLE service, std::uint32_t reason, ServiceStatus& status) {
    const std::uint32_t flags = reason & kStopReasonGeneralFlags;
    if (flags == 0 || (flags & (flags - 1)) != 0) {
        return kInvalidParameter;
    }
    SERVICE_STATUS reported{};
    const Error error =
        ControlService(service, SERVICE_CONTROL_STOP, &reported) ? kSuccess : failureReason();
    if (stopReportsStatus(error)) {
        status = statusOf(reported);
    }
    return error;
}

class Win32ServiceHandle final : public ServiceHandle {
public:
    explicit Win32ServiceHandle(UniqueService service) : service_(std::move(service)) {}

    Error queryStatus(ServiceStatus& status) override {
        SERVICE_STATUS reported{};
        if (!QueryServiceStatus(service_.get(), &reported)) {
            return failureReason();
        }
        status = statusOf(reported);
        return kSuccess;
    }

    Error queryStatusProcess(ServiceStatusProcess& status) override {
        SERVICE_STATUS_PROCESS reported{};
        DWORD needed = 0;
        if (!QueryServiceStatusEx(service_.get(), SC_STATUS_PROCESS_INFO,
                                  reinterpret_cast<BYTE*>(&reported), sizeof reported, &needed)) {
            return failureReason();
        }
        status = statusOf(reported);
        return kSuccess;
    }

    Error stop(std::uint32_t reason, const std::wstring& comment, ServiceStatus& status) override {
        static const auto controlServiceEx =
            runningUnderWine()
                ? nullptr
                : systemFunctionAs<ControlServiceExFunction>(L"advapi32.dll", "ControlServiceExW");
        if (controlServiceEx == nullptr) {
            return stopWithoutReason(service_.get(), reason, status);
        }
        return stopWithReason(controlServiceEx, service_.get(), reason, comment, status);
    }

    Error changeConfig(std::uint32_t serviceType, std::uint32_t startType,
                       std::uint32_t errorControl) override {
        return ChangeServiceConfigW(service_.get(), serviceType, startType, errorControl, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)
                   ? kSuccess
                   : failureReason();
    }

    Error start() override {
        return StartServiceW(service_.get(), 0, nullptr) ? kSuccess : failureReason();
    }

private:
    UniqueService service_;
};

class Win32ServiceManager final : public ServiceManager {
public:
    explicit Win32ServiceManager(UniqueService manager) : manager_(std::move(manager)) {}

    Error openService(const std::wstring& name, std::uint32_t access,
                      std::unique_ptr<ServiceHandle>& service) override {
        service.reset();
        UniqueService opened(OpenServiceW(manager_.get(), name.c_str(), access));
        if (!opened) {
            return failureReason();
        }
        service = std::make_unique<Win32ServiceHandle>(std::move(opened));
        return kSuccess;
    }

private:
    UniqueService manager_;
};

class Win32Services final : public Services {
public:
    Error openManager(std::uint32_t access, std::unique_ptr<ServiceManager>& manager) override {
        manager.reset();
        UniqueService opened(OpenSCManagerW(nullptr, SERVICES_ACTIVE_DATABASEW, access));
        if (!opened) {
            return failureReason();
        }
        manager = std::make_unique<Win32ServiceManager>(std::move(opened));
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Services> makeServices() {
    return std::make_unique<Win32Services>();
}

}  // namespace platform::win32
