#include "platform/sim/netlist/SimNetworkList.h"

#include <QJsonArray>
#include <QUuid>

#include "platform/sim/core/JsonCheck.h"
#include "platform/sim/core/SimLogging.h"
#include "platform/sim/core/StateErrors.h"
#include "platform/sim/core/StateStore.h"

namespace platform::sim::netlist {

namespace {

using namespace platform::networks;

const QLatin1String kNetworks("networks");
const QLatin1String kId("id");
const QLatin1String kName("name");
const QLatin1String kCategory("category");
const QLatin1String kConnected("connected");

bool readNetwork(const QJsonValue& value, const QString& path, Network& network, QString& error) {
    QJsonObject object;
    QString category;
    if (!json::readObject(value, path, object, error) ||
        !json::rejectUnknownFields(object, {kId, kName, kCategory, kConnected}, path, error) ||
        !json::readString(object, kName, path, false, network.name, error) ||
        !json::readString(object, kCategory, path, false, category, error) ||
        !json::readBool(object, kConnected, path, true, network.connected, error) ||
        !json::readString(object, kId, path, true, network.id, error)) {
        return false;
    }
    if (network.name.isEmpty()) {
        error = QStringLiteral("%1 must not be empty").arg(json::memberPath(path, kName));
        return false;
    }
    network.category = categoryByName(category);
    if (network.category < 0) {
        error = QStringLiteral("%1 must be public, private or domain")
                    .arg(json::memberPath(path, kCategory));
        return false;
    }
    if (network.id.isEmpty()) {
        network.id = networkIdFor(network.name);
    }
    return true;
}

class SimNetworkList : public NetworkList {
public:
    SimNetworkList(StateStore& store, bool elevated) : m_store(store), m_elevated(elevated) {}

    HResult networks(bool connectedOnly, std::vector<NetworkInfo>& list) override {
        list.clear();
        QJsonObject document;
        QString error;
        std::vector<Network> networks;
        if (!m_store.read(QLatin1String(kNetListFacility), document, error) ||
            !readNetListDocument(document, networks, error)) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnreadable);
        }
        for (const Network& network : networks) {
            if (network.connected || !connectedOnly) {
                list.push_back({network.id.toStdWString(), network.name.toStdWString(),
                                network.category, network.connected});
            }
        }
        return kSOk;
    }

    HResult setCategory(const std::wstring& id, std::int32_t category) override {
        if (category != kCategoryPublic && category != kCategoryPrivate) {
            return kEInvalidArg;
        }
        if (!m_elevated) {
            return kEAccessDenied;
        }
        HResult result = kSOk;
        QString error;
        const bool written = m_store.update(
            QLatin1String(kNetListFacility),
            [&](QJsonObject& document) {
                std::vector<Network> networks;
                QString readError;
                if (!readNetListDocument(document, networks, readError)) {
                    result = hresultFromWin32(kStateUnreadable);
                    return false;
                }
                for (Network& network : networks) {
                    if (network.id.compare(QString::fromStdWString(id), Qt::CaseInsensitive) == 0) {
                        if (network.category == category) {
                            return false;
                        }
                        network.category = category;
                        StateStore::replaceKeepingChangeCount(document, netListDocument(networks));
                        return true;
                    }
                }
                result = kEInvalidArg;
                return false;
            },
            error);
        if (!written) {
            qCWarning(lcSim).noquote() << error;
            return hresultFromWin32(kStateUnwritable);
        }
        return result;
    }

private:
    StateStore& m_store;
    bool m_elevated;
};

}  // namespace

bool readNetworks(const QJsonValue& list, const QString& path, std::vector<Network>& networks,
                  QString& error) {
    networks.clear();
    if (!list.isArray()) {
        error = QStringLiteral("%1 must be a list of networks").arg(path);
        return false;
    }
    const QJsonArray entries = list.toArray();
    for (int i = 0; i < entries.size(); ++i) {
        Network network;
        const QString entryPath = json::indexPath(path, i);
        if (!readNetwork(entries.at(i), entryPath, network, error)) {
            return false;
        }
        if (findNetwork(networks, network.name) != nullptr) {
            error = QStringLiteral("%1: a second network named %2").arg(entryPath, network.name);
            return false;
        }
        networks.push_back(network);
    }
    return true;
}

bool readNetListDocument(const QJsonObject& document, std::vector<Network>& networks,
                         QString& error) {
    const QString path = QLatin1String(kNetListFacility);
    if (!json::rejectUnknownFields(
            document, {kNetworks, QLatin1String(StateStore::kChangeCountField)}, path, error)) {
        return false;
    }
    if (!document.contains(kNetworks)) {
        networks.clear();
        return true;
    }
    return readNetworks(document.value(kNetworks), json::memberPath(path, kNetworks), networks,
                        error);
}

QJsonObject netListDocument(const std::vector<Network>& networks) {
    QJsonArray list;
    for (const Network& network : networks) {
        list.append(QJsonObject{{kId, network.id},
                                {kName, network.name},
                                {kCategory, categoryName(network.category)},
                                {kConnected, network.connected}});
    }
    return {{kNetworks, list}};
}

Network* findNetwork(std::vector<Network>& networks, const QString& name) {
    for (Network& network : networks) {
        if (network.name.compare(name, Qt::CaseInsensitive) == 0) {
            return &network;
        }
    }
    return nullptr;
}

std::int32_t categoryByName(const QString& name) {
    if (name == QLatin1String("public")) {
        return kCategoryPublic;
    }
    if (name == QLatin1String("private")) {
        return kCategoryPrivate;
    }
    return name == QLatin1String("domain") ? kCategoryDomainAuthenticated : -1;
}

QString categoryName(std::int32_t category) {
    switch (category) {
        case kCategoryPublic:
            return QStringLiteral("public");
        case kCategoryPrivate:
            return QStringLiteral("private");
        default:
            return QStringLiteral("domain");
    }
}

QString networkIdFor(const QString& name) {
    static const QUuid kNamespace(QStringLiteral("{6f1d7c52-3b8e-4e55-9d1a-2c4b7e0f9a31}"));
    return QUuid::createUuidV5(kNamespace, name.toLower()).toString();
}

std::unique_ptr<NetworkList> makeSimNetworkList(StateStore& store, bool elevated) {
    return std::make_unique<SimNetworkList>(store, elevated);
}

}  // namespace platform::sim::netlist
