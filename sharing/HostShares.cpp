#include "HostShares.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "NetBiosNames.h"
#include "platform/NetConnections.h"
#include "platform/Sockets.h"

namespace sharing {

namespace {

namespace net = platform::net;
namespace sockets = platform::sockets;
using platform::win32::Error;

// One listing pass, shared by the waiting probe and the thread that makes it: whichever ends
// last frees it.
struct ListingPass {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    Error status = 0;
    std::vector<platform::ShareInfo1> shares;
    std::uint32_t resumeHandle = 0;
};

// Runs one NetShareEnum pass on its own thread; false when it did not end within the limit.
bool runListingPass(const std::wstring& server, const std::shared_ptr<ListingPass>& pass) {
    std::thread([server, pass] {
        std::vector<platform::ShareInfo1> shares;
        std::uint32_t resume = 0;
        {
            std::lock_guard<std::mutex> guard(pass->lock);
            resume = pass->resumeHandle;
        }
        const Error status = platform::netConnections().shareEnum(server, shares, resume);
        std::lock_guard<std::mutex> guard(pass->lock);
        pass->status = status;
        pass->shares = std::move(shares);
        pass->resumeHandle = resume;
        pass->finished = true;
        pass->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> guard(pass->lock);
    return pass->done.wait_for(guard, std::chrono::milliseconds(kShareListingTimeoutMs),
                               [&pass] { return pass->finished; });
}

int codeForListing(Error status) {
    switch (status) {
        case 0:
            return kSharesListed;
        case platform::win32::kAccessDenied:
            return kSharesRefused;
        case net::kErrorTimeout:
        case static_cast<Error>(sockets::kWsaTimedOut):
            return kHostTimedOut;
        default:
            return kListingFailed;
    }
}

std::string ansiText(const QByteArray& utf8) {
    return QString::fromUtf8(utf8).toLocal8Bit().toStdString();
}

// The address of a host given as dotted text or as a name, or INADDR_NONE.
std::uint32_t hostAddress(const QByteArray& utf8Host) {
    const std::uint32_t address = sockets::parseAddress(utf8Host.toStdString());
    return address != sockets::kAddressNone ? address : resolveHost(ansiText(utf8Host));
}

std::wstring remoteName(const QString& host) {
    return (QStringLiteral("\\\\") + host).toStdWString();
}

Error connectPrinterResource(const std::wstring& name, const std::wstring& user,
                             const std::wstring& password) {
    platform::NetResource resource;
    resource.type = net::kResourceTypePrint;
    resource.remoteName = name;
    return platform::netConnections().addConnection2(resource, &password, &user,
                                                     net::kConnectTemporary);
}

Error cancelForced(const std::wstring& name) {
    return platform::netConnections().cancelConnection2(name, net::kConnectUpdateProfile, true);
}

bool worthTheAddressToo(Error byName) {
    return byName == 0 || byName == net::kErrorNotConnected;
}

}  // namespace

std::uint32_t resolveHost(const std::string& ansiName) {
    return sockets::resolveHost(ansiName);
}

Error listPrinterShares(const std::wstring& server, std::vector<std::wstring>& printerNames) {
    std::uint32_t resumeHandle = 0;
    for (;;) {
        auto pass = std::make_shared<ListingPass>();
        pass->resumeHandle = resumeHandle;
        if (!runListingPass(server, pass)) {
            return net::kErrorTimeout;
        }
        std::lock_guard<std::mutex> guard(pass->lock);
        if (pass->status == 0 || pass->status == platform::win32::kMoreData) {
            for (const platform::ShareInfo1& share : pass->shares) {
                if (share.type == net::kShareTypePrintQueue) {
                    printerNames.push_back(share.name);
                }
            }
        }
        if (pass->status != platform::win32::kMoreData) {
            return pass->status;
        }
        resumeHandle = pass->resumeHandle;
    }
}

int probeHostShares(std::uint32_t address, HostShareRecord& record) {
    record.ip = sockets::addressText(address);
    NetBiosNames names;
    const int socketError = queryNetBiosNames(address, kNetBiosTimeoutMs, names);
    record.deviceName = names.deviceName;
    record.group = names.group;
    if (socketError == sockets::kWsaTimedOut) {
        return kHostTimedOut;
    }
    return codeForListing(
        listPrinterShares(QString::fromStdString(record.ip).toStdWString(), record.printerNames));
}

HostShareRecord probeHostSharesAt(const std::string& ip) {
    HostShareRecord record;
    const std::uint32_t address = sockets::parseAddress(ip);
    if (address == sockets::kAddressNone) {
        record.ip = ip;
        record.code = kListingFailed;
        return record;
    }
    record.code = probeHostShares(address, record);
    return record;
}

HostShareRecord queryHostShares(const QByteArray& utf8Host) {
    HostShareRecord record;
    const std::uint32_t address = hostAddress(utf8Host);
    if (address == sockets::kAddressNone) {
        record.code = kHostUnresolved;
        return record;
    }
    record.code = probeHostShares(address, record);
    return record;
}

void startHostShareQuery(const QByteArray& utf8Host,
                         std::function<void(HostShareRecord&& record)> deliver) {
    std::thread([utf8Host, deliver = std::move(deliver)] {
        deliver(queryHostShares(utf8Host));
    }).detach();
}

Error netAddConnection(const QByteArray& utf8Host, const QByteArray& utf8User,
                       const QByteArray& utf8Password) {
    const QString host = QString::fromUtf8(utf8Host);
    const std::wstring user = QString::fromUtf8(utf8User).toStdWString();
    const std::wstring password = QString::fromUtf8(utf8Password).toStdWString();
    Error result = connectPrinterResource(remoteName(host), user, password);
    if (worthTheAddressToo(result)) {
        const std::uint32_t address = resolveHost(ansiText(utf8Host));
        if (address != sockets::kAddressNone) {
            result = connectPrinterResource(
                remoteName(QString::fromStdString(sockets::addressText(address))), user, password);
        }
    }
    return result;
}

Error netCancelConnection(const QByteArray& utf8Host) {
    const QString host = QString::fromUtf8(utf8Host);
    const Error result = cancelForced(remoteName(host));
    if (worthTheAddressToo(result)) {
        const std::uint32_t address = resolveHost(host.toLocal8Bit().toStdString());
        if (address != sockets::kAddressNone) {
            cancelForced(remoteName(QString::fromStdString(sockets::addressText(address))));
        }
    }
    return result;
}

}  // namespace sharing
