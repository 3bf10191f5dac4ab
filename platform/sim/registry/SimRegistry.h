#pragma once

#include <QString>
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace platform::sim {

class StateStore;

// The registry facility on the simulated PC's "registry" state document. Every call reads the
// current document, so a change by another process is seen by the next call; every change is
// one locked update of the store. Failures of the store itself are logged and answered with
// ERROR_REGISTRY_CORRUPT or ERROR_REGISTRY_IO_FAILED, as a damaged hive would be.
//
// A program sees the registry in its own view: a native program (the PC's own tools) all of
// it as stored; a 32-bit program on a 64-bit PC, as Corvanta and Kestrune are there, sees
// HKEY_LOCAL_MACHINE\SOFTWARE through WOW6432Node unless it asks for the 64-bit view
// (RegistryView.h).
class SimRegistry : public Registry {
public:
    enum class View { Native, Program32Bit };

    explicit SimRegistry(StateStore& store, View view = View::Native);

    win32::Error openKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                         std::unique_ptr<RegistryKey>& key) override;
    win32::Error createKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                           std::unique_ptr<RegistryKey>& key) override;
    win32::Error deleteKey(RegistryRoot root, const std::wstring& path,
                           std::uint32_t access) override;
    win32::Error deleteTree(RegistryRoot root, const std::wstring& path) override;

private:
    QString keyName(RegistryRoot root, const std::wstring& path, std::uint32_t access) const;

    StateStore& m_store;
    View m_view;
};

}  // namespace platform::sim
