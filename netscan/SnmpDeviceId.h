#pragma once

#include <string>

struct snmp_pdu;  // Net-SNMP's netsnmp_pdu; its headers stay in the .cpp

namespace netscan {

// Outcomes of the device-ID query; only success leads to a report.
enum SnmpOutcome : int {
    kSnmpSuccess = 0,
    kSnmpOpenFailed = 0x2003,
    kSnmpNotOctetString = 0x2004,
    kSnmpTimeout = 0x2005,
    kSnmpFailed = 0x2006,
};

// The printer port monitor MIB's IEEE 1284 device ID of port 1.
constexpr const char* kDeviceIdOid = "1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1";

// Asks the SNMP agent at `ip` (dotted text; UDP port 161) for the printer's device ID with one
// SNMPv1 GET in the read community every agent ships with, using the SNMP library's default
// timeout and retries. Each call uses its own session, so probe threads may query at once.
int queryDeviceId(const std::string& ip, std::string& deviceId);

// Reads an agent's answer to that GET: a non-zero error status fails; otherwise the last
// variable decides, an OCTET STRING giving the device ID (its bytes up to the first zero byte)
// and any other type the not-a-string outcome. No variable at all is a success with an empty
// ID.
int deviceIdFromResponse(const snmp_pdu& response, std::string& deviceId);

}  // namespace netscan
