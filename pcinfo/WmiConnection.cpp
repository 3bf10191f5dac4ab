#include "WmiConnection.h"

#include <cstdint>
#include <iostream>

namespace pcinfo {

namespace {

constexpr wchar_t kNamespace[] = L"ROOT\\CIMV2";
enum ConnectStage { kLocatorStage = 0, kConnectStage = 1, kBlanketStage = 2 };

std::string connectFailureMessage(int stage, platform::HResult result) {
    switch (stage) {
        case kLocatorStage:
            return "Failed to create IWbemLocator object. Err code = 0x" + hresultHex(result) +
                   "\n";
        case kConnectStage:
            return "Could not connect. Error code = 0x" + hresultHex(result);
        default:
            return "Could not set proxy blanket. Error code = 0x" + hresultHex(result);
    }
}

}  // namespace

std::string hresultHex(platform::HResult result) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<std::uint32_t>(result));
    return text;
}

WmiConnection::WmiConnection(platform::Wmi& wmi) : m_wmi(wmi) {
    m_lastResult = m_wmi.initializeCom();
    if (platform::failed(m_lastResult))
        throw WMICException("Failed to initialize COM library. Error code = 0x" +
                            hresultHex(m_lastResult) + "\n");
    m_comInitialized = true;

    int stage = kLocatorStage;
    m_lastResult = m_wmi.connect(kNamespace, m_service, stage);
    if (platform::failed(m_lastResult)) {
        close();
        throw WMICException(connectFailureMessage(stage, m_lastResult));
    }
    // Connected: said before the blanket step, which can still fail on its own.
    std::cout << "Connected to ROOT\\CIMV2 WMI namespace" << std::endl;
    m_lastResult = m_service->setProxyBlanket();
    if (platform::failed(m_lastResult)) {
        close();
        throw WMICException(connectFailureMessage(kBlanketStage, m_lastResult));
    }
}

WmiConnection::~WmiConnection() {
    close();
}

void WmiConnection::close() {
    m_service.reset();
    if (m_comInitialized) {
        m_wmi.uninitializeCom();
        m_comInitialized = false;
    }
}

std::unique_ptr<platform::WmiEnumerator> WmiConnection::query(const QString& classText) {
    std::unique_ptr<platform::WmiEnumerator> result;
    m_lastResult = m_service
                       ? m_service->execQuery(
                             (QStringLiteral("SELECT * FROM ") + classText).toStdWString(), result)
                       : platform::kEFail;
    if (platform::failed(m_lastResult)) {
        close();
        // The class is deliberately not named: the message has always read "xxx".
        throw WMICException("Query for xxx failed. Error code = 0x" + hresultHex(m_lastResult) +
                            "\n");
    }
    return result;
}

}  // namespace pcinfo
