#pragma once

#include <memory>
#include <utility>

// Owning wrappers for the backend's handles and COM interfaces. This header names no Windows
// type: each .cpp instantiates them with its own handle type and closing function, e.g.
//
//     using UniqueKey = win32::Unique<HKEY, RegCloseKey>;
//
// Handles that mean "none" by INVALID_HANDLE_VALUE are stored as null (see win32::orNull).
namespace platform::win32 {

// Calls `Close` on a non-null pointer.
template <auto Close>
struct Closer {
    template <class T>
    void operator()(T* pointer) const {
        Close(pointer);
    }
};

// A pointer-typed handle (HANDLE, HKEY, SC_HANDLE, ...) closed by `Close`.
template <class Handle, auto Close>
using Unique = std::unique_ptr<std::remove_pointer_t<Handle>, Closer<Close>>;

// Holds one reference to a COM interface and releases it.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (pointer_ != nullptr) {
            pointer_->Release();
            pointer_ = nullptr;
        }
    }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace platform::win32
