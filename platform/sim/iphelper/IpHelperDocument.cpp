#include "platform/sim/iphelper/IpHelperDocument.h"

#include <QJsonArray>
#include <QRegularExpression>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::iphelper {

namespace {

const QLatin1String kSource("source");
const QLatin1String kAdapters("adapters");
const QLatin1String kArp("arp");
const QLatin1String kIndex("index");
const QLatin1String kName("name");
const QLatin1String kDescription("description");
const QLatin1String kStatus("status");
const QLatin1String kAddresses("addresses");
const QLatin1String kAddress("address");
const QLatin1String kMask("mask");
const QLatin1String kGateway("gateway");
const QLatin1String kMac("mac");
const QLatin1String kType("type");

struct Named {
    const char* name;
    std::uint32_t value;
};

constexpr Named kOperStatusNames[] = {
    {"nonoperational", iphlp::kOperStatusNonOperational},
    {"unreachable", iphlp::kOperStatusUnreachable},
    {"disconnected", iphlp::kOperStatusDisconnected},
    {"connecting", iphlp::kOperStatusConnecting},
    {"connected", iphlp::kOperStatusConnected},
    {"operational", iphlp::kOperStatusOperational},
};

constexpr Named kArpTypeNames[] = {
    {"other", iphlp::kIpNetTypeOther},
    {"invalid", iphlp::kIpNetTypeInvalid},
    {"dynamic", iphlp::kIpNetTypeDynamic},
    {"static", iphlp::kIpNetTypeStatic},
};

template <std::size_t N>
bool valueOf(const Named (&table)[N], const QString& name, std::uint32_t& value) {
    for (const Named& entry : table) {
        if (name == QLatin1String(entry.name)) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

template <std::size_t N>
QString nameOf(const Named (&table)[N], std::uint32_t value) {
    for (const Named& entry : table) {
        if (entry.value == value)
            return QLatin1String(entry.name);
    }
    return QString::number(value);
}

bool readDotted(const QJsonObject& object, const QLatin1String& key, const QString& path,
                bool optional, std::string& out, QString& error) {
    QString text = QString::fromStdString(out);
    if (!json::readString(object, key, path, optional, text, error))
        return false;
    std::uint32_t address = 0;
    if (!parseIpv4(text.toStdString(), address)) {
        error =
            QStringLiteral("%1 is not an IPv4 address: %2").arg(json::memberPath(path, key), text);
        return false;
    }
    out = text.toStdString();
    return true;
}

bool readIndex(const QJsonObject& object, const QString& path, std::uint32_t& index,
               QString& error) {
    quint64 value = 0;
    if (!json::readUnsigned(object, kIndex, path, false, 0xFFFFFFFF, value, error))
        return false;
    if (value == 0) {
        error = QStringLiteral("%1 must be at least 1").arg(json::memberPath(path, kIndex));
        return false;
    }
    index = static_cast<std::uint32_t>(value);
    return true;
}

bool readAddress(const QJsonValue& value, const QString& path, AdapterAddress& address,
                 QString& error) {
    QJsonObject object;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {kAddress, kMask}, path, error) ||
        !readDotted(object, kAddress, path, false, address.address, error) ||
        !readDotted(object, kMask, path, false, address.mask, error))
        return false;
    if (!isContiguousMask(QString::fromStdString(address.mask))) {
        error = QStringLiteral("%1 is not a subnet mask: %2")
                    .arg(json::memberPath(path, kMask), QString::fromStdString(address.mask));
        return false;
    }
    return true;
}

bool readAdapter(const QJsonValue& value, const QString& path, SimAdapter& adapter,
                 QString& error) {
    QJsonObject object;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(
            object, {kIndex, kName, kDescription, kStatus, kAddresses, kGateway}, path, error) ||
        !readIndex(object, path, adapter.info.index, error))
        return false;
    QString name, description, status = QStringLiteral("operational");
    if (!json::readString(object, kName, path, true, name, error) ||
        !json::readString(object, kDescription, path, false, description, error) ||
        !json::readString(object, kStatus, path, true, status, error))
        return false;
    adapter.info.name = name.toStdString();
    adapter.info.description = description.toStdString();
    if (!operStatusFromName(status, adapter.operStatus)) {
        error =
            QStringLiteral("%1: unknown status %2").arg(json::memberPath(path, kStatus), status);
        return false;
    }
    adapter.info.addresses.clear();
    const QJsonValue addresses = object.value(kAddresses);
    if (!addresses.isUndefined() && !addresses.isArray()) {
        error = QStringLiteral("%1 must be an array").arg(json::memberPath(path, kAddresses));
        return false;
    }
    const QJsonArray list = addresses.toArray();
    for (int i = 0; i < list.size(); ++i) {
        AdapterAddress address;
        if (!readAddress(list.at(i), json::indexPath(json::memberPath(path, kAddresses), i),
                         address, error))
            return false;
        adapter.info.addresses.push_back(address);
    }
    if (adapter.info.addresses.empty())
        adapter.info.addresses.push_back(AdapterAddress{});
    std::string gateway = iphlp::kNoAddress;
    if (!readDotted(object, kGateway, path, true, gateway, error))
        return false;
    adapter.info.gateways = {gateway};
    return true;
}

bool readArpRow(const QJsonValue& value, const QString& path, ArpRow& row, QString& error) {
    QJsonObject object;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {kIndex, kAddress, kMac, kType}, path, error) ||
        !readIndex(object, path, row.index, error))
        return false;
    std::string address;
    QString mac, type = QStringLiteral("dynamic");
    if (!readDotted(object, kAddress, path, false, address, error) ||
        !json::readString(object, kMac, path, false, mac, error) ||
        !json::readString(object, kType, path, true, type, error))
        return false;
    parseIpv4(address, row.address);
    if (!parseMac(mac, row)) {
        error = QStringLiteral("%1 is not a physical address: %2")
                    .arg(json::memberPath(path, kMac), mac);
        return false;
    }
    if (!valueOf(kArpTypeNames, type, row.type)) {
        error = QStringLiteral("%1: unknown type %2").arg(json::memberPath(path, kType), type);
        return false;
    }
    return true;
}

bool readList(const QJsonObject& object, const QLatin1String& key, const QString& path,
              QJsonArray& list, QString& error) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return true;
    if (!value.isArray()) {
        error = QStringLiteral("%1 must be an array").arg(json::memberPath(path, key));
        return false;
    }
    list = value.toArray();
    return true;
}

}  // namespace

const SimAdapter* NetworkState::adapter(std::uint32_t index) const {
    for (const SimAdapter& candidate : adapters) {
        if (candidate.info.index == index)
            return &candidate;
    }
    return nullptr;
}

bool operStatusFromName(const QString& name, std::uint32_t& status) {
    return valueOf(kOperStatusNames, name, status);
}

QString operStatusName(std::uint32_t status) {
    return nameOf(kOperStatusNames, status);
}

QString arpTypeName(std::uint32_t type) {
    return nameOf(kArpTypeNames, type);
}

bool parseMac(const QString& text, ArpRow& row) {
    row.physicalAddressLength = 0;
    if (text.isEmpty())
        return true;
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("[-:]")));
    if (parts.size() > 8)
        return false;
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const uint byte = parts[i].toUInt(&ok, 16);
        if (!ok || parts[i].size() != 2 || byte > 0xFF)
            return false;
        row.physicalAddress[i] = static_cast<std::uint8_t>(byte);
    }
    row.physicalAddressLength = static_cast<std::uint32_t>(parts.size());
    return true;
}

QString macText(const ArpRow& row) {
    QStringList parts;
    for (std::uint32_t i = 0; i < row.physicalAddressLength && i < 8; ++i)
        parts << QStringLiteral("%1").arg(row.physicalAddress[i], 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char('-'));
}

bool isContiguousMask(const QString& mask) {
    std::uint32_t value = 0;
    if (!parseIpv4(mask.toStdString(), value))
        return false;
    const std::uint32_t bits = hostOrder(value);
    return (~bits & (~bits + 1)) == 0;  // the zero-bits form one run at the bottom
}

bool readNetworkState(const QJsonObject& object, const QString& path, NetworkState& state,
                      QString& error) {
    if (!json::rejectUnknownFields(
            object, {kSource, kAdapters, kArp, QLatin1String(StateStore::kChangeCountField)}, path,
            error))
        return false;
    QString source = QStringLiteral("profile");
    if (!json::readString(object, kSource, path, true, source, error))
        return false;
    if (source != QLatin1String("profile") && source != QLatin1String("host")) {
        error = QStringLiteral("%1 must be \"profile\" or \"host\", not %2")
                    .arg(json::memberPath(path, kSource), source);
        return false;
    }
    state.source = source == QLatin1String("host") ? Source::Host : Source::Profile;
    QJsonArray adapters, arp;
    if (!readList(object, kAdapters, path, adapters, error) ||
        !readList(object, kArp, path, arp, error))
        return false;
    state.adapters.clear();
    for (int i = 0; i < adapters.size(); ++i) {
        const QString at = json::indexPath(json::memberPath(path, kAdapters), i);
        SimAdapter adapter;
        if (!readAdapter(adapters.at(i), at, adapter, error))
            return false;
        if (state.adapter(adapter.info.index)) {
            error = QStringLiteral("%1: a second adapter with index %2")
                        .arg(at)
                        .arg(adapter.info.index);
            return false;
        }
        state.adapters.push_back(adapter);
    }
    state.arp.clear();
    for (int i = 0; i < arp.size(); ++i) {
        ArpRow row;
        if (!readArpRow(arp.at(i), json::indexPath(json::memberPath(path, kArp), i), row, error))
            return false;
        state.arp.push_back(row);
    }
    return true;
}

QJsonObject networkStateToJson(const NetworkState& state) {
    QJsonArray adapters;
    for (const SimAdapter& adapter : state.adapters) {
        QJsonArray addresses;
        for (const AdapterAddress& address : adapter.info.addresses) {
            if (address.address != iphlp::kNoAddress || address.mask != iphlp::kNoAddress)
                addresses.append(QJsonObject{{kAddress, QString::fromStdString(address.address)},
                                             {kMask, QString::fromStdString(address.mask)}});
        }
        QJsonObject object{
            {kIndex, static_cast<double>(adapter.info.index)},
            {kDescription, QString::fromStdString(adapter.info.description)},
            {kStatus, operStatusName(adapter.operStatus)},
            {kAddresses, addresses},
            {kGateway, QString::fromStdString(adapter.info.gateways.front())},
        };
        if (!adapter.info.name.empty())
            object.insert(kName, QString::fromStdString(adapter.info.name));
        adapters.append(object);
    }
    QJsonArray arp;
    for (const ArpRow& row : state.arp) {
        arp.append(QJsonObject{{kIndex, static_cast<double>(row.index)},
                               {kAddress, QString::fromStdString(formatIpv4(row.address))},
                               {kMac, macText(row)},
                               {kType, arpTypeName(row.type)}});
    }
    return QJsonObject{{kSource, state.source == Source::Host ? QStringLiteral("host")
                                                              : QStringLiteral("profile")},
                       {kAdapters, adapters},
                       {kArp, arp}};
}

ProfileSection ipHelperProfileSection() {
    ProfileSection section;
    section.name = QLatin1String(kIpHelperFacility);
    section.facility = QLatin1String(kIpHelperFacility);
    section.parse = [](const QJsonValue& value, const QString& path, QJsonObject& document,
                       QString& error) {
        QJsonObject object;
        NetworkState state;
        if (!json::readObject(value, path, object, error) ||
            !readNetworkState(object, path, state, error))
            return false;
        const QJsonObject written = networkStateToJson(state);
        for (auto it = written.begin(); it != written.end(); ++it)
            document.insert(it.key(), it.value());
        return true;
    };
    return section;
}

}  // namespace platform::sim::iphelper
