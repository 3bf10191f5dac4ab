#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/HResult.h"

namespace platform {

constexpr HResult kWbemENotFound = static_cast<HResult>(0x80041002);
constexpr HResult kWbemEInvalidClass = static_cast<HResult>(0x80041010);
constexpr HResult kWbemEInvalidQuery = static_cast<HResult>(0x80041017);
constexpr HResult kRpcEServerUnavailable = static_cast<HResult>(0x800706BA);

// One property value as WMI's VARIANT carries it. Only the types the product reads are told
// apart: text (VT_BSTR), 32-bit integer (VT_I4), nothing (VT_NULL/VT_EMPTY), anything else.
struct WmiValue {
    enum class Type { Null, String, Int32, Other };
    Type type = Type::Null;
    std::wstring text;
    std::int32_t number = 0;

    static WmiValue string(std::wstring value) { return {Type::String, std::move(value), 0}; }
    static WmiValue int32(std::int32_t value) { return {Type::Int32, std::wstring(), value}; }
};

// One object of a query's result.
class WmiObject {
public:
    virtual ~WmiObject() = default;
    // IWbemClassObject::Get: kWbemENotFound for a property the class does not have.
    virtual HResult get(const std::wstring& property, WmiValue& value) const = 0;
};

// The objects of one query, fetched one at a time (IEnumWbemClassObject::Next).
class WmiEnumerator {
public:
    virtual ~WmiEnumerator() = default;
    // kSOk with an object, kSFalse when there are no more, a failure otherwise.
    virtual HResult next(std::unique_ptr<WmiObject>& object) = 0;
};

// A connection to one WMI namespace on this PC.
class WmiService {
public:
    virtual ~WmiService() = default;
    // CoSetProxyBlanket on the service: WinNT authentication, call-level authentication,
    // impersonation. Done once after connecting, before the first query.
    virtual HResult setProxyBlanket() = 0;
    // IWbemServices::ExecQuery with language "WQL".
    virtual HResult execQuery(const std::wstring& wql, std::unique_ptr<WmiEnumerator>& result) = 0;
};

// The steps of reaching WMI, each of which can fail on a real PC: COM for this thread, the
// locator, the namespace, the proxy blanket.
class Wmi {
public:
    virtual ~Wmi() = default;

    // CoInitializeEx(COINIT_APARTMENTTHREADED) for the calling thread; uninitializeCom undoes it.
    virtual HResult initializeCom() = 0;
    virtual void uninitializeCom() = 0;
    // CoCreateInstance(CLSID_WbemLocator) then IWbemLocator::ConnectServer; `stage` tells which
    // step failed (0 locator, 1 connect). The proxy blanket is the service's own next step.
    virtual HResult connect(const std::wstring& wmiNamespace, std::unique_ptr<WmiService>& service,
                            int& stage) = 0;
};

// The WMI service of the system this process runs on (see Platform.h).
Wmi& wmi();

}  // namespace platform
