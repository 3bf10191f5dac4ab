#include "platform/sim/netcfg/NetCfgDocument.h"

#include <QDateTime>
#include <QJsonArray>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::netcfg {

namespace {

using platform::netcfg::ComponentClass;

const QLatin1String kComponents("components");
const QLatin1String kLock("lock");
const QLatin1String kId("id");
const QLatin1String kName("name");
const QLatin1String kClass("class");
const QLatin1String kStatus("status");
const QLatin1String kHolder("holder");
const QLatin1String kSeconds("seconds");
const QLatin1String kUntil("until");
const QLatin1String kOwner("owner");

struct ClassName {
    const char* name;
    ComponentClass componentClass;
};
constexpr ClassName kClassNames[] = {
    {"adapter", ComponentClass::Adapter},
    {"protocol", ComponentClass::Protocol},
    {"service", ComponentClass::Service},
    {"client", ComponentClass::Client},
};

struct Protocol {
    const char* id;
    const char* name;
};
// The protocols of the network-transport class in a Windows 10 installation (netrm.inf,
// nettcpip.inf, netlldp.inf, netlltdi.inf, netrspndr.inf, ndisuio.inf).
constexpr Protocol kInstallableProtocols[] = {
    {"ms_rmcast", "Reliable Multicast Protocol"},
    {"ms_tcpip", "Internet Protocol Version 4 (TCP/IPv4)"},
    {"ms_tcpip6", "Internet Protocol Version 6 (TCP/IPv6)"},
    {"ms_lldp", "Microsoft LLDP Protocol Driver"},
    {"ms_lltdio", "Link-Layer Topology Discovery Mapper I/O Driver"},
    {"ms_rspndr", "Link-Layer Topology Discovery Responder"},
    {"ms_ndisuio", "NDIS Usermode I/O Protocol"},
};

bool readComponent(const QJsonValue& value, const QString& path, NetComponent& component,
                   QString& error) {
    QJsonObject object;
    QString id;
    QString name;
    QString className;
    quint64 status = 0;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {kId, kName, kClass, kStatus}, path, error) ||
        !json::readString(object, kId, path, false, id, error) ||
        !json::readString(object, kName, path, false, name, error) ||
        !json::readString(object, kClass, path, false, className, error) ||
        !json::readUnsigned(object, kStatus, path, true, 0xFFFFFFFF, status, error)) {
        return false;
    }
    if (id.isEmpty()) {
        error = QStringLiteral("%1 must not be empty").arg(json::memberPath(path, kId));
        return false;
    }
    bool known = false;
    for (const ClassName& entry : kClassNames) {
        if (className == QLatin1String(entry.name)) {
            component.componentClass = entry.componentClass;
            known = true;
        }
    }
    if (!known) {
        error = QStringLiteral("%1 must be adapter, protocol, service or client")
                    .arg(json::memberPath(path, kClass));
        return false;
    }
    component.id = id.toStdWString();
    component.displayName = name.toStdWString();
    component.deviceStatus = static_cast<std::uint32_t>(status);
    return true;
}

bool readLock(const QJsonValue& value, const QString& path, bool profile, WriteLock& lock,
              QString& error) {
    QJsonObject object;
    const QStringList fields =
        profile ? QStringList{kHolder, kSeconds} : QStringList{kHolder, kUntil, kOwner};
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, fields, path, error) ||
        !json::readString(object, kHolder, path, false, lock.holder, error)) {
        return false;
    }
    quint64 number = 0;
    if (profile) {
        if (!json::readUnsigned(object, kSeconds, path, false, 86400.0 * 365, number, error)) {
            return false;
        }
        lock.until = QDateTime::currentMSecsSinceEpoch() + qint64(number) * 1000;
        return true;
    }
    if (!json::readUnsigned(object, kUntil, path, false, 9007199254740992.0, number, error) ||
        !json::readString(object, kOwner, path, true, lock.owner, error)) {
        return false;
    }
    lock.until = qint64(number);
    return true;
}

}  // namespace

bool NetCfgState::has(const std::wstring& id) const {
    for (const NetComponent& component : components) {
        if (QString::fromStdWString(component.id)
                .compare(QString::fromStdWString(id), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

bool readNetCfgState(const QJsonObject& object, const QString& path, bool profile,
                     NetCfgState& state, QString& error) {
    state = NetCfgState();
    QStringList fields{kComponents, kLock};
    if (!profile) {
        fields << QLatin1String(StateStore::kChangeCountField);
    }
    if (!json::rejectUnknownFields(object, fields, path, error)) {
        return false;
    }
    const QString listPath = json::memberPath(path, kComponents);
    const QJsonValue list = object.value(kComponents);
    if (!list.isUndefined()) {
        if (!list.isArray()) {
            error = QStringLiteral("%1 must be a list of components").arg(listPath);
            return false;
        }
        const QJsonArray entries = list.toArray();
        for (int i = 0; i < entries.size(); ++i) {
            NetComponent component;
            if (!readComponent(entries.at(i), json::indexPath(listPath, i), component, error)) {
                return false;
            }
            state.components.push_back(component);
        }
    }
    const QJsonValue lock = object.value(kLock);
    if (!lock.isUndefined() && !lock.isNull()) {
        state.locked = true;
        return readLock(lock, json::memberPath(path, kLock), profile, state.lock, error);
    }
    return true;
}

QJsonObject netCfgStateJson(const NetCfgState& state) {
    QJsonArray components;
    for (const NetComponent& component : state.components) {
        QJsonObject entry{{kId, QString::fromStdWString(component.id)},
                          {kName, QString::fromStdWString(component.displayName)},
                          {kClass, componentClassName(component.componentClass)}};
        if (component.deviceStatus != 0) {
            entry.insert(kStatus, double(component.deviceStatus));
        }
        components.append(entry);
    }
    QJsonObject document{{kComponents, components}};
    if (state.locked) {
        document.insert(kLock, QJsonObject{{kHolder, state.lock.holder},
                                           {kUntil, double(state.lock.until)},
                                           {kOwner, state.lock.owner}});
    }
    return document;
}

QString componentClassName(ComponentClass componentClass) {
    for (const ClassName& entry : kClassNames) {
        if (entry.componentClass == componentClass) {
            return QLatin1String(entry.name);
        }
    }
    return QString();
}

QString installableProtocolName(const QString& id) {
    for (const Protocol& protocol : kInstallableProtocols) {
        if (id.compare(QLatin1String(protocol.id), Qt::CaseInsensitive) == 0) {
            return QLatin1String(protocol.name);
        }
    }
    return QString();
}

}  // namespace platform::sim::netcfg
