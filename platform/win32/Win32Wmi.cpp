// WMI through COM: the locator, one namespace's service, WQL queries and property values, every
// interface held by ComPtr and every BSTR and VARIANT freed by RAII.
#define _WIN32_DCOM
#include <windows.h>
// (windows.h first: the COM headers need its types.)
#include <oleauto.h>
#include <wbemidl.h>

#include "Backend.h"
#include "ComSupport.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

// WBEM_INFINITE, which the enumeration's LONG timeout takes as -1.
constexpr LONG kWaitForever = -1;

WmiValue valueOf(const VARIANT& variant) {
    switch (variant.vt) {
        case VT_NULL:
        case VT_EMPTY:
            return {};
        case VT_BSTR:
            return WmiValue::string(
                variant.bstrVal != nullptr
                    ? std::wstring(variant.bstrVal, SysStringLen(variant.bstrVal))
                    : std::wstring());
        case VT_I4:
            return WmiValue::int32(variant.lVal);
        default:
            return {WmiValue::Type::Other, std::wstring(), 0};
    }
}

class Win32WmiObject final : public WmiObject {
public:
    explicit Win32WmiObject(ComPtr<IWbemClassObject> object) : object_(std::move(object)) {}

    HResult get(const std::wstring& property, WmiValue& value) const override {
        Variant variant;
        const HRESULT result = object_->Get(property.c_str(), 0, variant.get(), nullptr, nullptr);
        if (FAILED(result)) {
            return result;
        }
        value = valueOf(variant.value());
        return result;
    }

private:
    ComPtr<IWbemClassObject> object_;
};

class Win32WmiEnumerator final : public WmiEnumerator {
public:
    explicit Win32WmiEnumerator(ComPtr<IEnumWbemClassObject> enumerator)
        : enumerator_(std::move(enumerator)) {}

    HResult next(std::unique_ptr<WmiObject>& object) override {
        object.reset();
        ComPtr<IWbemClassObject> found;
        ULONG returned = 0;
        const HRESULT result = enumerator_->Next(kWaitForever, 1, found.put(), &returned);
        if (FAILED(result)) {
            return result;
        }
        if (returned == 0) {
            return kSFalse;
        }
        object = std::make_unique<Win32WmiObject>(std::move(found));
        return kSOk;
    }

private:
    ComPtr<IEnumWbemClassObject> enumerator_;
};

class Win32WmiService final : public WmiService {
public:
    explicit Win32WmiService(ComPtr<IWbemServices> services) : services_(std::move(services)) {}

    HResult setProxyBlanket() override {
        return CoSetProxyBlanket(services_.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE);
    }

    HResult execQuery(const std::wstring& wql, std::unique_ptr<WmiEnumerator>& result) override {
        result.reset();
        const Bstr language(L"WQL");
        const Bstr query(wql);
        ComPtr<IEnumWbemClassObject> enumerator;
        const HRESULT status = services_->ExecQuery(
            language.get(), query.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
            nullptr, enumerator.put());
        if (FAILED(status)) {
            return status;
        }
        result = std::make_unique<Win32WmiEnumerator>(std::move(enumerator));
        return status;
    }

private:
    ComPtr<IWbemServices> services_;
};

class Win32Wmi final : public Wmi {
public:
    HResult initializeCom() override { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void uninitializeCom() override { CoUninitialize(); }

    HResult connect(const std::wstring& wmiNamespace, std::unique_ptr<WmiService>& service,
                    int& stage) override {
        service.reset();
        stage = 0;
        ComPtr<IWbemLocator> locator;
        HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IWbemLocator, locator.putVoid());
        if (FAILED(result)) {
            return result;
        }
        stage = 1;
        const Bstr name(wmiNamespace);
        ComPtr<IWbemServices> services;
        result = locator->ConnectServer(name.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                        services.put());
        if (FAILED(result)) {
            return result;
        }
        service = std::make_unique<Win32WmiService>(std::move(services));
        return result;
    }
};

}  // namespace

std::unique_ptr<Wmi> makeWmi() {
    return std::make_unique<Win32Wmi>();
}

}  // namespace platform::win32
