// The network configuration through COM (INetCfg of netcfgx, in-process): every interface is
// held by ComPtr, the texts the components hand out are freed with CoTaskMemFree. The session
// keeps COM initialised on the thread that created it.
#include <windows.h>
// (windows.h first: the COM headers need its types.)
#include <devguid.h>
#include <netcfgx.h>

#include "Backend.h"
#include "ComSupport.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

// A text the component allocated (CoTaskMemAlloc), copied and freed.
std::wstring takeText(LPWSTR text) {
    std::wstring copy = text != nullptr ? text : L"";
    CoTaskMemFree(text);
    return copy;
}

const GUID& classGuidOf(netcfg::ComponentClass componentClass) {
    switch (componentClass) {
        case netcfg::ComponentClass::Adapter:
            return GUID_DEVCLASS_NET;
        case netcfg::ComponentClass::Protocol:
            return GUID_DEVCLASS_NETTRANS;
        case netcfg::ComponentClass::Service:
            return GUID_DEVCLASS_NETSERVICE;
        case netcfg::ComponentClass::Client:
            return GUID_DEVCLASS_NETCLIENT;
    }
    return GUID_DEVCLASS_NETTRANS;
}

// One component's id, display name and (for adapters) device status.
NetComponent componentOf(INetCfgComponent& component, netcfg::ComponentClass componentClass) {
    NetComponent result;
    result.componentClass = componentClass;
    LPWSTR text = nullptr;
    if (SUCCEEDED(component.GetId(&text))) {
        result.id = takeText(text);
    }
    text = nullptr;
    if (SUCCEEDED(component.GetDisplayName(&text))) {
        result.displayName = takeText(text);
    }
    ULONG status = 0;
    if (componentClass == netcfg::ComponentClass::Adapter &&
        SUCCEEDED(component.GetDeviceStatus(&status))) {
        result.deviceStatus = status;
    }
    return result;
}

// Used and destroyed on the thread that created it, whose COM initialisation it holds.
class Win32NetCfgSession final : public NetCfgSession {
public:
    Win32NetCfgSession(std::unique_ptr<ComApartment> apartment, ComPtr<INetCfg> netCfg)
        : apartment_(std::move(apartment)), netCfg_(std::move(netCfg)) {}
    ~Win32NetCfgSession() override {
        netCfg_.reset();  // before the apartment ends
    }

    // AcquireWriteLock answers S_FALSE with the holder's description while another program
    // holds the lock.
    HResult acquireWriteLock(std::uint32_t timeoutMs, const std::wstring& client,
                             std::wstring& holder) override {
        ComPtr<INetCfgLock> lock;
        HRESULT result = netCfg_->QueryInterface(IID_INetCfgLock, lock.putVoid());
        if (FAILED(result)) {
            return result;
        }
        LPWSTR owner = nullptr;
        result = lock->AcquireWriteLock(timeoutMs, client.c_str(), &owner);
        holder = takeText(owner);
        return result;
    }

    HResult releaseWriteLock() override {
        ComPtr<INetCfgLock> lock;
        const HRESULT result = netCfg_->QueryInterface(IID_INetCfgLock, lock.putVoid());
        return FAILED(result) ? result : lock->ReleaseWriteLock();
    }

    HResult initialize() override { return netCfg_->Initialize(nullptr); }
    HResult uninitialize() override { return netCfg_->Uninitialize(); }

    HResult components(netcfg::ComponentClass componentClass,
                       std::vector<NetComponent>& list) override {
        list.clear();
        ComPtr<INetCfgClass> netClass;
        HRESULT result = netCfg_->QueryNetCfgClass(&classGuidOf(componentClass), IID_INetCfgClass,
                                                   netClass.putVoid());
        if (FAILED(result)) {
            return result;
        }
        ComPtr<IEnumNetCfgComponent> enumerator;
        result = netClass->EnumComponents(enumerator.put());
        if (FAILED(result)) {
            return result;
        }
        for (;;) {
            ComPtr<INetCfgComponent> component;
            ULONG fetched = 0;
            result = enumerator->Next(1, component.put(), &fetched);
            if (result != S_OK || fetched == 0) {
                return FAILED(result) ? result : S_OK;
            }
            list.push_back(componentOf(*component.get(), componentClass));
        }
    }

    HResult installProtocol(const std::wstring& id) override {
        ComPtr<INetCfgClass> netClass;
        HRESULT result = netCfg_->QueryNetCfgClass(&GUID_DEVCLASS_NETTRANS, IID_INetCfgClass,
                                                   netClass.putVoid());
        if (FAILED(result)) {
            return result;
        }
        ComPtr<INetCfgClassSetup> setup;
        result = netClass->QueryInterface(IID_INetCfgClassSetup, setup.putVoid());
        if (FAILED(result)) {
            return result;
        }
        OBO_TOKEN token{};
        token.Type = OBO_USER;
        ComPtr<INetCfgComponent> installed;
        return setup->Install(id.c_str(), &token, 0, 0, nullptr, nullptr, installed.put());
    }

    HResult apply() override { return netCfg_->Apply(); }

private:
    std::unique_ptr<ComApartment> apartment_;
    ComPtr<INetCfg> netCfg_;
};

class Win32NetworkConfig final : public NetworkConfig {
public:
    HResult create(std::unique_ptr<NetCfgSession>& session) override {
        session.reset();
        auto apartment = std::make_unique<ComApartment>();
        ComPtr<INetCfg> netCfg;
        const HRESULT result = CoCreateInstance(CLSID_CNetCfg, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_INetCfg, netCfg.putVoid());
        if (FAILED(result)) {
            return result;
        }
        session = std::make_unique<Win32NetCfgSession>(std::move(apartment), std::move(netCfg));
        return result;
    }
};

}  // namespace

std::unique_ptr<NetworkConfig> makeNetworkConfig() {
    return std::make_unique<Win32NetworkConfig>();
}

}  // namespace platform::win32
