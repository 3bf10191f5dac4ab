#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Wmi.h"

namespace pcinfo {

// Thrown by WmiConnection when WMI cannot be reached or a query fails. It never leaves the
// inventory layer: buildPcInfo catches it and goes on with what it has.
class WMICException : public std::exception {
public:
    explicit WMICException(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// A connection to ROOT\CIMV2 for the calling thread: COM, the locator, the service. Opening
// either succeeds or throws; everything acquired is released on every path.
class WmiConnection {
public:
    explicit WmiConnection(platform::Wmi& wmi);
    ~WmiConnection();
    WmiConnection(const WmiConnection&) = delete;
    WmiConnection& operator=(const WmiConnection&) = delete;

    // Runs "SELECT * FROM " + classText; throws WMICException on failure (and then releases the
    // service, so every later query fails too, as a closed connection would).
    std::unique_ptr<platform::WmiEnumerator> query(const QString& classText);

    platform::HResult lastResult() const { return m_lastResult; }

private:
    void close();

    platform::Wmi& m_wmi;
    std::unique_ptr<platform::WmiService> m_service;
    platform::HResult m_lastResult = platform::kSOk;
    bool m_comInitialized = false;
};

// "0x" messages print the HRESULT as its unsigned 32-bit value in lower-case hexadecimal.
std::string hresultHex(platform::HResult result);

}  // namespace pcinfo
