#include "SimServices.h"

#include <QJsonObject>

#include <functional>

#include "ServiceState.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateErrors.h"

namespace platform::sim::services {

namespace {

constexpr std::uint32_t kReadControl = 0x20000;
constexpr std::uint32_t kUserDefinedControl = 0x100;
// What a token that is not elevated is granted (the default security of the manager and of
// most services, Spooler among them).
constexpr std::uint32_t kManagerReadRights = svc::kManagerConnect | svc::kManagerEnumerateService |
                                             svc::kManagerQueryLockStatus | kReadControl;
constexpr std::uint32_t kServiceReadRights = svc::kQueryConfig | svc::kQueryStatus |
                                             svc::kEnumerateDependents | svc::kInterrogate |
                                             kUserDefinedControl | kReadControl;

constexpr std::uint32_t kStopReasonFlags = 0x10000000 | 0x20000000 | svc::kStopReasonFlagPlanned;
constexpr std::uint32_t kHighestStartType = svc::kDisabled;

// One step on one service's record, inside one update of the document.
using Step =
    std::function<win32::Error(QJsonObject& document, QJsonObject& services, QJsonObject& record)>;

class SimServiceHandle final : public ServiceHandle {
public:
    SimServiceHandle(StateStore& store, QString name, std::uint32_t access)
        : m_store(store), m_name(std::move(name)), m_access(access) {}

    win32::Error queryStatus(ServiceStatus& status) override {
        ServiceStatusProcess full;
        const win32::Error error = queryStatusProcess(full);
        status = full;
        return error;
    }

    win32::Error queryStatusProcess(ServiceStatusProcess& status) override {
        if ((m_access & svc::kQueryStatus) == 0) {
            return win32::kAccessDenied;
        }
        QJsonObject record;
        const win32::Error error = readSettled(record);
        if (error == win32::kSuccess) {
            status = statusOf(record, nowMs());
        }
        return error;
    }

    win32::Error stop(std::uint32_t reason, const std::wstring&, ServiceStatus& status) override {
        if ((m_access & svc::kStop) == 0) {
            return win32::kAccessDenied;
        }
        // ControlServiceEx refuses a reason without exactly one of the unplanned, custom and
        // planned flags.
        const std::uint32_t flags = reason & kStopReasonFlags;
        if (flags == 0 || (flags & (flags - 1)) != 0) {
            return win32::kInvalidParameter;
        }
        const qint64 now = nowMs();
        return change([&](QJsonObject&, QJsonObject&, QJsonObject& record) {
            const std::uint32_t state = record.value(key::kState).toInt(svc::kStopped);
            if (state == svc::kStopped) {
                return svc::kErrorServiceNotActive;
            }
            if (state != svc::kRunning && state != svc::kPaused) {
                status = statusOf(record, now);
                return svc::kErrorServiceCannotAcceptControl;
            }
            record.insert(key::kState, int(svc::kStopPending));
            record.insert(key::kLastStopReason, double(reason));
            if (record.value(key::kHangNextStop).toBool()) {
                record.remove(key::kHangNextStop);  // stop-pending until someone ends it
            } else {
                record.insert(key::kPendingUntil, double(now + kStopMs));
                record.insert(key::kPendingTarget, int(svc::kStopped));
            }
            status = statusOf(record, now);
            return win32::kSuccess;
        });
    }

    win32::Error changeConfig(std::uint32_t, std::uint32_t startType, std::uint32_t) override {
        if ((m_access & svc::kChangeConfig) == 0) {
            return win32::kAccessDenied;
        }
        if (startType != svc::kNoChange && startType > kHighestStartType) {
            return win32::kInvalidParameter;
        }
        return change([&](QJsonObject&, QJsonObject&, QJsonObject& record) {
            if (record.value(key::kMarkedForDeletion).toBool()) {
                return svc::kErrorServiceMarkedForDelete;
            }
            if (startType != svc::kNoChange) {
                record.insert(key::kStartType, int(startType));
            }
            return win32::kSuccess;
        });
    }

    win32::Error start() override {
        if ((m_access & svc::kStart) == 0) {
            return win32::kAccessDenied;
        }
        const qint64 now = nowMs();
        return change([&](QJsonObject&, QJsonObject&, QJsonObject& record) {
            if (record.value(key::kMarkedForDeletion).toBool()) {
                return svc::kErrorServiceMarkedForDelete;
            }
            if (record.value(key::kStartType).toInt() == int(svc::kDisabled)) {
                return svc::kErrorServiceDisabled;
            }
            if (record.value(key::kState).toInt(svc::kStopped) != int(svc::kStopped)) {
                return svc::kErrorServiceAlreadyRunning;
            }
            record.insert(key::kState, int(svc::kStartPending));
            record.insert(key::kPendingUntil, double(now + kStartMs));
            record.insert(key::kPendingTarget, int(svc::kRunning));
            return win32::kSuccess;
        });
    }

private:
    // The record with any pending state that is due completed (and written back). A service
    // deleted since the handle was opened is gone for this handle too.
    win32::Error readSettled(QJsonObject& record) {
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kServicesFacility), document, error)) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnreadable;
        }
        QJsonObject copy = document;
        if (settle(copy, m_name, nowMs())) {
            const bool saved = m_store.update(
                QLatin1String(kServicesFacility),
                [&](QJsonObject& latest) {
                    settle(latest, m_name, nowMs());
                    document = latest;
                    return true;
                },
                error);
            if (!saved) {
                qCWarning(lcSim).noquote() << error;
                return kStateUnwritable;
            }
        }
        const QJsonObject services = servicesOf(document);
        if (services.contains(m_name)) {
            record = services.value(m_name).toObject();
            return win32::kSuccess;
        }
        // Deleted while this handle was open: it stays stopped for the handle's holder.
        const QJsonObject removed = document.value(key::kRemoved).toObject();
        if (removed.contains(m_name)) {
            record = removed.value(m_name).toObject();
            return win32::kSuccess;
        }
        return win32::kInvalidHandle;
    }

    win32::Error change(const Step& step) {
        win32::Error result = win32::kSuccess;
        QString error;
        const bool saved = m_store.update(
            QLatin1String(kServicesFacility),
            [&](QJsonObject& document) {
                bool settled = settle(document, m_name, nowMs());
                QJsonObject services = servicesOf(document);
                if (!services.contains(m_name)) {
                    const bool deleted = document.value(key::kRemoved).toObject().contains(m_name);
                    result = deleted ? svc::kErrorServiceMarkedForDelete : win32::kInvalidHandle;
                    return settled;
                }
                QJsonObject record = services.value(m_name).toObject();
                const QJsonObject before = record;
                result = step(document, services, record);
                if (record == before) {
                    return settled;
                }
                services.insert(m_name, record);
                document.insert(key::kServices, services);
                return true;
            },
            error);
        if (!saved) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnwritable;
        }
        return result;
    }

    StateStore& m_store;
    QString m_name;
    std::uint32_t m_access;
};

class SimServiceManager final : public ServiceManager {
public:
    SimServiceManager(Machine& machine, std::uint32_t access)
        : m_machine(machine), m_access(access) {}

    win32::Error openService(const std::wstring& name, std::uint32_t access,
                             std::unique_ptr<ServiceHandle>& service) override {
        service.reset();
        if ((m_access & svc::kManagerConnect) == 0) {
            return win32::kAccessDenied;
        }
        QJsonObject document;
        QString error;
        if (!m_machine.store().read(QLatin1String(kServicesFacility), document, error)) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnreadable;
        }
        const QString stored = storedName(servicesOf(document), QString::fromStdWString(name));
        if (stored.isEmpty()) {
            return svc::kErrorServiceDoesNotExist;
        }
        if (!m_machine.system().elevated && (access & ~kServiceReadRights) != 0) {
            return win32::kAccessDenied;
        }
        service = std::make_unique<SimServiceHandle>(m_machine.store(), stored, access);
        return win32::kSuccess;
    }

private:
    Machine& m_machine;
    std::uint32_t m_access;
};

class SimServices final : public Services {
public:
    explicit SimServices(Machine& machine) : m_machine(machine) {}

    win32::Error openManager(std::uint32_t access,
                             std::unique_ptr<ServiceManager>& manager) override {
        manager.reset();
        QJsonObject document;
        QString error;
        if (!m_machine.store().read(QLatin1String(kServicesFacility), document, error)) {
            qCWarning(lcSim).noquote() << error;
            return kStateUnreadable;
        }
        if (!m_machine.system().elevated && (access & ~kManagerReadRights) != 0) {
            return win32::kAccessDenied;
        }
        manager = std::make_unique<SimServiceManager>(m_machine, access);
        return win32::kSuccess;
    }

private:
    Machine& m_machine;
};

}  // namespace

std::unique_ptr<Services> makeSimServices(Machine& machine) {
    return std::make_unique<SimServices>(machine);
}

}  // namespace platform::sim::services
