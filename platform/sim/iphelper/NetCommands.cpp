// corvanta-sim net ...: the PC's network as a person would change it (a cable pulled, an
// adapter added) or as Windows would (an ARP entry learnt), and the switch to this machine's
// own adapters.
#include "platform/sim/iphelper/NetCommands.h"

#include <QCommandLineParser>

#include "platform/posix/HostNetwork.h"
#include "platform/sim/core/Machine.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/iphelper/IpHelperDocument.h"

namespace platform::sim::iphelper {

namespace {

constexpr const char* kUsage =
    "usage: corvanta-sim net show | net adapter add INDEX ADDRESS MASK [--gateway ADDR] "
    "[--description TEXT] [--down] | net adapter remove INDEX | net arp add INDEX ADDRESS MAC "
    "[--invalid] | net arp clear | net source host|profile";

int usage(ProgramIo io) {
    return toolFailure(io, QLatin1String(kUsage));
}

bool parseIndex(const QString& text, std::uint32_t& index, QString& error) {
    bool ok = false;
    index = text.toUInt(&ok);
    if (!ok || index == 0) {
        error = QStringLiteral("not an interface index (a number from 1): %1").arg(text);
        return false;
    }
    return true;
}

bool checkAddress(const QString& text, QString& error) {
    std::uint32_t address = 0;
    if (!parseIpv4(text.toStdString(), address)) {
        error = QStringLiteral("not an IPv4 address: %1").arg(text);
        return false;
    }
    return true;
}

// Applies `change` to the PC's network document under its lock.
int changeState(SimulatedPc& pc, ProgramIo io,
                const std::function<bool(NetworkState&, QString&)>& change) {
    QString failure;
    QString error;
    const bool saved = pc.machine().store().update(
        QLatin1String(kIpHelperFacility),
        [&](QJsonObject& document) {
            NetworkState state;
            if (!readNetworkState(document, QLatin1String(kIpHelperFacility), state, failure) ||
                !change(state, failure))
                return false;
            const QJsonObject written = networkStateToJson(state);
            for (auto it = written.begin(); it != written.end(); ++it)
                document.insert(it.key(), it.value());
            return true;
        },
        error);
    if (!failure.isEmpty())
        return toolFailure(io, failure);
    if (!saved)
        return toolFailure(io, error);
    return 0;
}

int addAdapter(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QCommandLineOption gateway(QStringLiteral("gateway"), QString(), QStringLiteral("ADDR"));
    const QCommandLineOption description(QStringLiteral("description"), QString(),
                                         QStringLiteral("TEXT"));
    const QCommandLineOption down(QStringLiteral("down"));
    QCommandLineParser parser;
    parser.addOptions({gateway, description, down});
    if (!parser.parse(QStringList{QStringLiteral("net")} + arguments))
        return toolFailure(io, parser.errorText());
    const QStringList words = parser.positionalArguments().mid(2);
    if (words.size() != 3)
        return usage(io);
    SimAdapter adapter;
    QString error;
    if (!parseIndex(words[0], adapter.info.index, error) || !checkAddress(words[1], error) ||
        !checkAddress(words[2], error) ||
        (parser.isSet(gateway) && !checkAddress(parser.value(gateway), error)))
        return toolFailure(io, error);
    if (!isContiguousMask(words[2]))
        return toolFailure(io, QStringLiteral("not a subnet mask: %1").arg(words[2]));
    adapter.info.addresses = {{words[1].toStdString(), words[2].toStdString()}};
    if (parser.isSet(gateway))
        adapter.info.gateways = {parser.value(gateway).toStdString()};
    adapter.info.description =
        parser.isSet(description)
            ? parser.value(description).toStdString()
            : QStringLiteral("Ethernet Adapter #%1").arg(adapter.info.index).toStdString();
    adapter.operStatus =
        parser.isSet(down) ? iphlp::kOperStatusDisconnected : iphlp::kOperStatusOperational;
    return changeState(pc, io, [&](NetworkState& state, QString& failure) {
        if (state.adapter(adapter.info.index)) {
            failure = QStringLiteral("an adapter with index %1 exists").arg(adapter.info.index);
            return false;
        }
        state.adapters.push_back(adapter);
        return true;
    });
}

int removeAdapter(const QStringList& words, SimulatedPc& pc, ProgramIo io) {
    std::uint32_t index = 0;
    QString error;
    if (words.size() != 1)
        return usage(io);
    if (!parseIndex(words[0], index, error))
        return toolFailure(io, error);
    return changeState(pc, io, [&](NetworkState& state, QString& failure) {
        const auto found = std::find_if(state.adapters.begin(), state.adapters.end(),
                                        [&](const SimAdapter& a) { return a.info.index == index; });
        if (found == state.adapters.end()) {
            failure = QStringLiteral("no adapter with index %1").arg(index);
            return false;
        }
        state.adapters.erase(found);
        return true;
    });
}

int addArpRow(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QCommandLineOption invalid(QStringLiteral("invalid"));
    QCommandLineParser parser;
    parser.addOption(invalid);
    if (!parser.parse(QStringList{QStringLiteral("net")} + arguments))
        return toolFailure(io, parser.errorText());
    const QStringList words = parser.positionalArguments().mid(2);
    if (words.size() != 3)
        return usage(io);
    ArpRow row;
    QString error;
    if (!parseIndex(words[0], row.index, error) || !checkAddress(words[1], error))
        return toolFailure(io, error);
    parseIpv4(words[1].toStdString(), row.address);
    if (!parseMac(words[2], row))
        return toolFailure(io, QStringLiteral("not a physical address: %1").arg(words[2]));
    row.type = parser.isSet(invalid) ? iphlp::kIpNetTypeInvalid : iphlp::kIpNetTypeDynamic;
    return changeState(pc, io, [&](NetworkState& state, QString&) {
        // As the system's table: one row per interface and address, the newest wins.
        state.arp.erase(std::remove_if(state.arp.begin(), state.arp.end(),
                                       [&](const ArpRow& old) {
                                           return old.index == row.index &&
                                                  old.address == row.address;
                                       }),
                        state.arp.end());
        state.arp.push_back(row);
        return true;
    });
}

int setSource(const QStringList& words, SimulatedPc& pc, ProgramIo io) {
    if (words.size() != 1 ||
        (words[0] != QLatin1String("host") && words[0] != QLatin1String("profile")))
        return usage(io);
    const Source source = words[0] == QLatin1String("host") ? Source::Host : Source::Profile;
    return changeState(pc, io, [&](NetworkState& state, QString&) {
        state.source = source;
        return true;
    });
}

void showAdapters(const std::vector<SimAdapter>& adapters, QTextStream& out) {
    for (const SimAdapter& adapter : adapters) {
        out << QStringLiteral("  adapter %1 (%2): %3")
                   .arg(adapter.info.index)
                   .arg(operStatusName(adapter.operStatus))
                   .arg(QString::fromStdString(adapter.info.description));
        for (const AdapterAddress& address : adapter.info.addresses)
            out << ' ' << QString::fromStdString(address.address) << '/'
                << QString::fromStdString(address.mask);
        out << " gateway " << QString::fromStdString(adapter.info.gateways.front()) << '\n';
    }
}

void showArp(const std::vector<ArpRow>& rows, QTextStream& out) {
    for (const ArpRow& row : rows) {
        out << QStringLiteral("  arp %1 %2 %3 %4\n")
                   .arg(row.index)
                   .arg(QString::fromStdString(formatIpv4(row.address)))
                   .arg(row.physicalAddressLength ? macText(row) : QStringLiteral("(none)"))
                   .arg(arpTypeName(row.type));
    }
}

// This machine's adapters as the PC reports them with source "host".
void showHost(QTextStream& out) {
    std::vector<AdapterInfo> adapters;
    posix::hostAdapters(adapters);
    std::vector<SimAdapter> shown;
    for (const AdapterInfo& info : adapters) {
        InterfaceRow row;
        posix::hostInterfaceRow(info.index, row);
        shown.push_back({info, row.operStatus});
    }
    showAdapters(shown, out);
    std::vector<ArpRow> rows;
    posix::hostArpTable(rows);
    showArp(rows, out);
}

}  // namespace

bool showNetwork(const QJsonObject& document, QTextStream& out, QString& error) {
    NetworkState state;
    if (!readNetworkState(document, QLatin1String(kIpHelperFacility), state, error))
        return false;
    if (state.source == Source::Host) {
        out << "  source: this machine's adapters and ARP table\n";
        showHost(out);
        out << "  (the PC's own list, used with source profile:)\n";
    } else {
        out << "  source: profile\n";
    }
    showAdapters(state.adapters, out);
    showArp(state.arp, out);
    return true;
}

int runNetVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo io) {
    const QString verb = arguments.value(0);
    const QString object = arguments.value(1);
    const QStringList words = arguments.mid(2);
    if (verb == QLatin1String("show") && arguments.size() == 1) {
        QJsonObject document;
        QString error;
        if (!pc.machine().store().read(QLatin1String(kIpHelperFacility), document, error) ||
            !showNetwork(document, io.out, error))
            return toolFailure(io, error);
        return 0;
    }
    if (verb == QLatin1String("adapter") && object == QLatin1String("add"))
        return addAdapter(arguments, pc, io);
    if (verb == QLatin1String("adapter") && object == QLatin1String("remove"))
        return removeAdapter(words, pc, io);
    if (verb == QLatin1String("arp") && object == QLatin1String("add"))
        return addArpRow(arguments, pc, io);
    if (verb == QLatin1String("arp") && object == QLatin1String("clear") && words.isEmpty())
        return changeState(pc, io, [](NetworkState& state, QString&) {
            state.arp.clear();
            return true;
        });
    if (verb == QLatin1String("source"))
        return setSource(arguments.mid(1), pc, io);
    return usage(io);
}

}  // namespace platform::sim::iphelper
