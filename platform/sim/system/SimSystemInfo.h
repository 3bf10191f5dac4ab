#pragma once

#include "platform/SystemInfo.h"
#include "platform/sim/core/SystemFacts.h"

namespace platform::sim {

// System information from the profile's "system" facts, read once when the machine opened.
class SimSystemInfo : public SystemInfo {
public:
    explicit SimSystemInfo(const SystemFacts& facts) : m_facts(facts) {}

    WindowsVersion version() const override { return m_facts.version; }
    ProcessorArchitecture nativeArchitecture() const override { return m_facts.architecture; }
    std::wstring computerName() const override { return m_facts.computerName.toStdWString(); }
    std::wstring userName() const override { return m_facts.userName.toStdWString(); }
    bool isWow64() const override { return m_facts.wow64; }
    std::wstring tempFolder() const override;
    std::wstring knownFolder(KnownFolder folder) const override;
    std::uint16_t userDefaultUiLanguage() const override { return m_facts.uiLanguage; }

private:
    SystemFacts m_facts;
};

}  // namespace platform::sim
