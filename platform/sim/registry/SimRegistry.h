#pragma once

#include <memory>
#include <string>

#include "platform/Registry.h"

namespace platform::sim {

class StateStore;

// The registry facility on the simulated PC's "registry" state document. Every call reads the
// current document, so a change by another process is seen by the next call; every change is
// one locked update of the store. Failures of the store itself are logged and answered with
// ERROR_REGISTRY_CORRUPT or ERROR_REGISTRY_IO_FAILED, as a damaged hive would be.
class SimRegistry : public Registry {
public:
    explicit SimRegistry(StateStore& store);

    win32::Error openKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                         std::unique_ptr<RegistryKey>& key) override;
    win32::Error createKey(RegistryRoot root, const std::wstring& path, std::uint32_t access,
                           std::unique_ptr<RegistryKey>& key) override;
    win32::Error deleteKey(RegistryRoot root, const std::wstring& path,
                           std::uint32_t access) override;
    win32::Error deleteTree(RegistryRoot root, const std::wstring& path) override;

private:
    StateStore& m_store;
};

}  // namespace platform::sim
