// The Network List Manager through COM (netprofm): every interface is held by ComPtr and each
// call runs in a COM apartment of its own on the calling thread.
#include <windows.h>
// (windows.h first: the COM headers need its types.)
#include <netlistmgr.h>

#include "Backend.h"
#include "ComSupport.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

std::wstring guidText(const GUID& guid) {
    Guid value;
    value.data1 = guid.Data1;
    value.data2 = guid.Data2;
    value.data3 = guid.Data3;
    for (int i = 0; i < 8; ++i) {
        value.data4[i] = guid.Data4[i];
    }
    return value.toString();
}

bool parseGuid(const std::wstring& text, GUID& guid) {
    Guid value;
    if (!Guid::parse(text, value)) {
        return false;
    }
    guid.Data1 = value.data1;
    guid.Data2 = value.data2;
    guid.Data3 = value.data3;
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = value.data4[i];
    }
    return true;
}

NetworkInfo networkOf(INetwork& network) {
    NetworkInfo info;
    GUID id{};
    if (SUCCEEDED(network.GetNetworkId(&id))) {
        info.id = guidText(id);
    }
    Bstr name;
    if (SUCCEEDED(network.GetName(name.put()))) {
        info.name = name.text();
    }
    NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
    if (SUCCEEDED(network.GetCategory(&category))) {
        info.category = category;
    }
    VARIANT_BOOL connected = VARIANT_FALSE;
    if (SUCCEEDED(network.get_IsConnected(&connected))) {
        info.connected = connected != VARIANT_FALSE;
    }
    return info;
}

HRESULT createManager(ComPtr<INetworkListManager>& manager) {
    return CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                            manager.putVoid());
}

class Win32NetworkList final : public NetworkList {
public:
    HResult networks(bool connectedOnly, std::vector<NetworkInfo>& list) override {
        list.clear();
        const ComApartment apartment;
        ComPtr<INetworkListManager> manager;
        HRESULT result = createManager(manager);
        if (FAILED(result)) {
            return result;
        }
        ComPtr<IEnumNetworks> enumerator;
        result = manager->GetNetworks(
            connectedOnly ? NLM_ENUM_NETWORK_CONNECTED : NLM_ENUM_NETWORK_ALL, enumerator.put());
        if (FAILED(result)) {
            return result;
        }
        for (;;) {
            ComPtr<INetwork> network;
            ULONG fetched = 0;
            result = enumerator->Next(1, network.put(), &fetched);
            if (result != S_OK || fetched == 0) {
                return FAILED(result) ? result : S_OK;
            }
            list.push_back(networkOf(*network.get()));
        }
    }

    // A network becomes domain-authenticated only by joining a domain, so only public and
    // private are set; an id of no network is refused like a bad category.
    HResult setCategory(const std::wstring& id, std::int32_t category) override {
        GUID networkId{};
        if ((category != networks::kCategoryPublic && category != networks::kCategoryPrivate) ||
            !parseGuid(id, networkId)) {
            return E_INVALIDARG;
        }
        const ComApartment apartment;
        ComPtr<INetworkListManager> manager;
        HRESULT result = createManager(manager);
        if (FAILED(result)) {
            return result;
        }
        ComPtr<INetwork> network;
        result = manager->GetNetwork(networkId, network.put());
        if (FAILED(result) || !network) {
            return E_INVALIDARG;
        }
        return network->SetCategory(static_cast<NLM_NETWORK_CATEGORY>(category));
    }
};

}  // namespace

std::unique_ptr<NetworkList> makeNetworkList() {
    return std::make_unique<Win32NetworkList>();
}

}  // namespace platform::win32
