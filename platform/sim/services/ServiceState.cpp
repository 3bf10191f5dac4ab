#include "ServiceState.h"

#include <QDateTime>
#include <QJsonValue>

#include <algorithm>

namespace platform::sim::services {

namespace {

constexpr std::uint32_t kFirstProcessId = 2000;
constexpr std::uint32_t kProcessIdStep = 4;  // Windows process ids are multiples of 4

struct Word {
    const char* name;
    std::uint32_t value;
};
constexpr Word kStates[] = {{"stopped", svc::kStopped},
                            {"start-pending", svc::kStartPending},
                            {"stop-pending", svc::kStopPending},
                            {"running", svc::kRunning},
                            {"continue-pending", svc::kContinuePending},
                            {"pause-pending", svc::kPausePending},
                            {"paused", svc::kPaused}};
constexpr Word kStartTypes[] = {{"boot", 0},
                                {"system", 1},
                                {"auto", svc::kAutoStart},
                                {"demand", svc::kDemandStart},
                                {"disabled", svc::kDisabled}};

template <std::size_t N>
QString nameOf(const Word (&words)[N], std::uint32_t value) {
    for (const Word& word : words) {
        if (word.value == value) {
            return QLatin1String(word.name);
        }
    }
    return QString::number(value);
}

template <std::size_t N>
bool valueOf(const Word (&words)[N], const QString& name, std::uint32_t& value) {
    for (const Word& word : words) {
        if (name.compare(QLatin1String(word.name), Qt::CaseInsensitive) == 0) {
            value = word.value;
            return true;
        }
    }
    return false;
}

QJsonObject defaultServices() {
    QJsonObject spooler{{key::kDisplayName, QStringLiteral("Print Spooler")},
                        {key::kState, int(svc::kRunning)},
                        {key::kStartType, int(svc::kAutoStart)},
                        {key::kProcessId, int(kFirstProcessId)}};
    return QJsonObject{{kSpoolerService, spooler}};
}

std::uint32_t allocateProcessId(QJsonObject& document) {
    const std::uint32_t id = std::max<std::uint32_t>(kFirstProcessId + kProcessIdStep,
                                                     document.value(key::kNextProcessId).toInt());
    document.insert(key::kNextProcessId, int(id + kProcessIdStep));
    return id;
}

}  // namespace

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

QJsonObject servicesOf(const QJsonObject& document) {
    return document.contains(key::kServices) ? document.value(key::kServices).toObject()
                                             : defaultServices();
}

QString storedName(const QJsonObject& services, const QString& name) {
    for (auto it = services.begin(); it != services.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) {
            return it.key();
        }
    }
    return {};
}

bool settle(QJsonObject& document, const QString& name, qint64 now) {
    QJsonObject services = servicesOf(document);
    QJsonObject record = services.value(name).toObject();
    if (!record.contains(key::kPendingUntil) ||
        record.value(key::kPendingUntil).toDouble() > double(now)) {
        return false;
    }
    const std::uint32_t target = record.value(key::kPendingTarget).toInt(svc::kStopped);
    record.remove(key::kPendingUntil);
    record.remove(key::kPendingTarget);
    record.insert(key::kState, int(target));
    record.insert(key::kProcessId, target == svc::kRunning ? int(allocateProcessId(document)) : 0);
    if (target == svc::kStopped && record.value(key::kMarkedForDeletion).toBool()) {
        // DeleteService takes effect once the service no longer runs.
        QJsonObject removed = document.value(key::kRemoved).toObject();
        record.remove(key::kMarkedForDeletion);
        removed.insert(name, record);
        document.insert(key::kRemoved, removed);
        services.remove(name);
    } else {
        services.insert(name, record);
    }
    document.insert(key::kServices, services);
    return true;
}

ServiceStatusProcess statusOf(const QJsonObject& record, qint64 now) {
    ServiceStatusProcess status;
    status.currentState = record.value(key::kState).toInt(svc::kStopped);
    status.processId = record.value(key::kProcessId).toInt();
    if (status.currentState == svc::kRunning || status.currentState == svc::kPaused) {
        status.controlsAccepted = svc::kAcceptStop;
    }
    if (status.currentState == svc::kStartPending || status.currentState == svc::kStopPending) {
        status.waitHint = kWaitHintMs;
        // The check point advances while the pending state makes progress; a hung stop (no
        // completion time) stays at its first.
        if (record.contains(key::kPendingUntil)) {
            const qint64 left = qint64(record.value(key::kPendingUntil).toDouble()) - now;
            const int total = status.currentState == svc::kStopPending ? kStopMs : kStartMs;
            status.checkPoint = 1 + std::max<qint64>(0, total - left) / kWaitHintMs;
        } else {
            status.checkPoint = 1;
        }
    }
    return status;
}

QString stateName(std::uint32_t state) {
    return nameOf(kStates, state);
}
bool stateFromName(const QString& name, std::uint32_t& state) {
    return valueOf(kStates, name, state);
}
QString startTypeName(std::uint32_t startType) {
    return nameOf(kStartTypes, startType);
}
bool startTypeFromName(const QString& name, std::uint32_t& startType) {
    return valueOf(kStartTypes, name, startType);
}

}  // namespace platform::sim::services
