#pragma once

// COM helpers the backend's COM facilities share: the apartment of the calling thread, BSTRs and
// VARIANTs owned by RAII. Included only by .cpp files of this folder, after <windows.h>.
#include <objbase.h>
#include <oleauto.h>

#include <string>

namespace platform::win32 {

// COM on the calling thread for the life of the object: a single-threaded apartment, as every
// thread of the program uses. A thread already in COM (in either model) keeps it and the object
// only adds the matching uninitialisation; RPC_E_CHANGED_MODE (a multithreaded thread) adds
// nothing, since the interfaces work there too.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& value)
        : value_(SysAllocStringLen(value.data(), static_cast<UINT>(value.size()))) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }
    // For out-parameters: frees what is held and hands out the slot.
    BSTR* put() {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    std::wstring text() const {
        return value_ != nullptr ? std::wstring(value_, SysStringLen(value_)) : std::wstring();
    }

private:
    BSTR value_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* get() { return &value_; }
    const VARIANT& value() const { return value_; }

private:
    VARIANT value_;
};

}  // namespace platform::win32
