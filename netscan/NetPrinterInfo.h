#pragma once

#include <QMetaType>

#include <string>

namespace netscan {

// A network printer found by the scan: its address and the IEEE 1284 device ID its SNMP agent
// gave, with the maker and model read from it. The strings hold the agent's bytes unchanged;
// they become UTF-8 only at the page.
struct NetPrinterInfo {
    std::string ip;
    std::string deviceId;
    std::string manufacturer;
    std::string model;

    // Reads "KEY:value;" pairs: MANUFACTURER or MFG give the maker, MODEL or MDL the model (keys
    // exact, case-sensitive, untrimmed; a later pair wins). Text after the last ";" and pairs
    // without ":" are ignored.
    static NetPrinterInfo fromDeviceId(const std::string& ip, const std::string& deviceId);
};

}  // namespace netscan

Q_DECLARE_METATYPE(netscan::NetPrinterInfo)
