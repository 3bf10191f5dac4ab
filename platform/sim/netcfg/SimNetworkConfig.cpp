#include "platform/sim/netcfg/SimNetworkConfig.h"

#include <QDateTime>
#include <QThread>
#include <QUuid>

#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"
#include "platform/sim/netcfg/NetCfgDocument.h"

namespace platform::sim::netcfg {

namespace {

using namespace platform::netcfg;

// How often a waiting AcquireWriteLock looks at the lock again.
constexpr int kLockPollMs = 50;

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

class SimNetCfgSession : public NetCfgSession {
public:
    SimNetCfgSession(StateStore& store, bool elevated)
        : m_store(store),
          m_elevated(elevated),
          m_token(QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

    ~SimNetCfgSession() override {
        if (m_holdsLock) {
            releaseWriteLock();
        }
    }

    HResult acquireWriteLock(std::uint32_t timeoutMs, const std::wstring& client,
                             std::wstring& holder) override {
        holder.clear();
        if (!m_elevated) {
            return kEAccessDenied;
        }
        if (m_holdsLock) {
            return kSOk;
        }
        const qint64 deadline = nowMs() + timeoutMs;
        for (;;) {
            QString heldBy;
            const HResult result = tryLock(QString::fromStdWString(client), heldBy);
            if (result != kSFalse) {
                return result;
            }
            if (nowMs() >= deadline) {
                holder = heldBy.toStdWString();
                return kSFalse;
            }
            QThread::msleep(static_cast<unsigned long>(
                std::min<qint64>(kLockPollMs, std::max<qint64>(1, deadline - nowMs()))));
        }
    }

    HResult releaseWriteLock() override {
        if (!m_holdsLock) {
            return kSFalse;
        }
        m_holdsLock = false;
        return change([this](NetCfgState& state) {
            if (!state.locked || state.lock.owner != m_token) {
                return false;
            }
            state.locked = false;
            state.lock = WriteLock();
            return true;
        });
    }

    HResult initialize() override {
        if (m_initialized) {
            return kAlreadyInitialized;
        }
        NetCfgState state;
        if (const HResult result = read(state); failed(result)) {
            return result;
        }
        m_initialized = true;
        return kSOk;
    }

    HResult uninitialize() override {
        if (!m_initialized) {
            return kNotInitialized;
        }
        m_initialized = false;
        m_pending.clear();
        return kSOk;
    }

    HResult components(ComponentClass componentClass, std::vector<NetComponent>& list) override {
        list.clear();
        if (!m_initialized) {
            return kNotInitialized;
        }
        NetCfgState state;
        if (const HResult result = read(state); failed(result)) {
            return result;
        }
        for (const NetComponent& component : state.components) {
            if (component.componentClass == componentClass) {
                list.push_back(component);
            }
        }
        return kSOk;
    }

    HResult installProtocol(const std::wstring& id) override {
        if (!m_initialized) {
            return kNotInitialized;
        }
        if (!m_holdsLock) {
            return kNoWriteLock;
        }
        const QString name = installableProtocolName(QString::fromStdWString(id));
        if (name.isEmpty()) {
            return kNoDriverSelected;
        }
        m_pending.push_back({id, name.toStdWString(), ComponentClass::Protocol, 0});
        return kSOk;
    }

    HResult apply() override {
        if (!m_initialized) {
            return kNotInitialized;
        }
        if (!m_holdsLock) {
            return kNoWriteLock;
        }
        const std::vector<NetComponent> pending = std::move(m_pending);
        m_pending.clear();
        return change([&pending](NetCfgState& state) {
            bool changed = false;
            for (const NetComponent& component : pending) {
                if (!state.has(component.id)) {
                    state.components.push_back(component);
                    changed = true;
                }
            }
            return changed;
        });
    }

private:
    HResult read(NetCfgState& state) const {
        QJsonObject document;
        QString error;
        if (!m_store.read(QLatin1String(kNetCfgFacility), document, error) ||
            !readNetCfgState(document, QLatin1String(kNetCfgFacility), false, state, error)) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnreadable);
        }
        return kSOk;
    }

    // S_OK with the lock taken, S_FALSE with its holder while another has it.
    HResult tryLock(const QString& client, QString& heldBy) {
        HResult result = kSOk;
        const HResult written = change([&](NetCfgState& state) {
            if (state.isLockedAt(nowMs()) && state.lock.owner != m_token) {
                heldBy = state.lock.holder;
                result = kSFalse;
                return false;
            }
            state.locked = true;
            state.lock = {client, 0, m_token};
            return true;
        });
        if (failed(written)) {
            return written;
        }
        m_holdsLock = result == kSOk;
        return result;
    }

    // Changes the document under the store's lock; `mutate` answers whether it changed it.
    HResult change(const std::function<bool(NetCfgState&)>& mutate) {
        HResult result = kSOk;
        QString error;
        const bool written = m_store.update(
            QLatin1String(kNetCfgFacility),
            [&](QJsonObject& document) {
                NetCfgState state;
                QString readError;
                if (!readNetCfgState(document, QLatin1String(kNetCfgFacility), false, state,
                                     readError)) {
                    result = hresultFromWin32(kStateUnreadable);
                    return false;
                }
                if (!mutate(state)) {
                    return false;
                }
                StateStore::replaceKeepingChangeCount(document, netCfgStateJson(state));
                return true;
            },
            error);
        if (!written) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnwritable);
        }
        return result;
    }

    StateStore& m_store;
    bool m_elevated;
    QString m_token;
    bool m_holdsLock = false;
    bool m_initialized = false;
    std::vector<NetComponent> m_pending;
};

class SimNetworkConfig : public NetworkConfig {
public:
    SimNetworkConfig(StateStore& store, bool elevated) : m_store(store), m_elevated(elevated) {}

    HResult create(std::unique_ptr<NetCfgSession>& session) override {
        session = std::make_unique<SimNetCfgSession>(m_store, m_elevated);
        return kSOk;
    }

private:
    StateStore& m_store;
    bool m_elevated;
};

}  // namespace

std::unique_ptr<NetworkConfig> makeSimNetworkConfig(StateStore& store, bool elevated) {
    return std::make_unique<SimNetworkConfig>(store, elevated);
}

}  // namespace platform::sim::netcfg
