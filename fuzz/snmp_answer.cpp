// An SNMP agent's answer to the device-ID GET as Net-SNMP hands it over: an error status and a
// list of variables of any type, length and content (embedded zeros, empty and long strings,
// integers, counters, OIDs, NULL and exception values). The fuzz bytes describe the answer:
//
//   byte 0             error status
//   then, per variable type (1 byte), length (2 bytes, little-endian), that many value bytes
//
// and the library builds each variable as its own decoder does (snmp_varlist_add_variable).
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "netscan/NetPrinterInfo.h"
#include "netscan/SnmpDeviceId.h"

namespace {

constexpr std::size_t kMaxVariables = 16;
constexpr oid kDeviceIdName[] = {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1, 3, 1};

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using Pdu = std::unique_ptr<netsnmp_pdu, PduDeleter>;

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_left(size) {}
    bool empty() const { return m_left == 0; }
    uint8_t byte() { return take(1) ? m_data[-1] : 0; }
    size_t length() { return byte() | (static_cast<size_t>(byte()) << 8); }
    // Up to `wanted` bytes, fewer when the input ends first.
    const uint8_t* bytes(size_t& wanted) {
        wanted = std::min(wanted, m_left);
        const uint8_t* start = m_data;
        take(wanted);
        return start;
    }

private:
    bool take(size_t count) {
        if (count > m_left) {
            return false;
        }
        m_data += count;
        m_left -= count;
        return true;
    }
    const uint8_t* m_data;
    size_t m_left;
};

// What the last variable the library accepted says, for checking the reader's verdict.
struct Expected {
    bool any = false;
    bool octetString = false;
    std::string text;  // an OCTET STRING's bytes up to the first zero
};

Expected buildAnswer(Reader& reader, netsnmp_pdu& pdu) {
    Expected expected;
    pdu.errstat = reader.byte();
    for (std::size_t i = 0; i < kMaxVariables && !reader.empty(); ++i) {
        const auto type = static_cast<u_char>(reader.byte());
        size_t length = reader.length();
        const uint8_t* value = reader.bytes(length);
        if (!snmp_varlist_add_variable(&pdu.variables, kDeviceIdName,
                                       sizeof kDeviceIdName / sizeof kDeviceIdName[0], type, value,
                                       length)) {
            continue;  // a value the library refuses to hold never reaches us
        }
        expected.any = true;
        expected.octetString = type == ASN_OCTET_STR;
        if (expected.octetString) {
            expected.text.assign(reinterpret_cast<const char*>(value), length);
            expected.text = expected.text.substr(0, expected.text.find('\0'));
        }
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pdu pdu(snmp_pdu_create(SNMP_MSG_RESPONSE));
    fuzz::require(pdu != nullptr, "no PDU");
    Reader reader(data, size);
    const Expected expected = buildAnswer(reader, *pdu);
    std::string deviceId = "left over";
    const int outcome = netscan::deviceIdFromResponse(*pdu, deviceId);
    if (pdu->errstat != SNMP_ERR_NOERROR) {
        fuzz::require(outcome == netscan::kSnmpFailed && deviceId.empty(),
                      "an error status was not a failure");
        return 0;
    }
    if (!expected.any) {
        fuzz::require(outcome == netscan::kSnmpSuccess && deviceId.empty(),
                      "an answer without variables was not an empty success");
        return 0;
    }
    if (expected.octetString) {
        fuzz::require(outcome == netscan::kSnmpSuccess && deviceId == expected.text,
                      "the last OCTET STRING was not read up to its first zero");
        // As the scan does with an ID it got.
        netscan::NetPrinterInfo::fromDeviceId("127.0.0.1", deviceId);
    } else {
        fuzz::require(outcome == netscan::kSnmpNotOctetString,
                      "a last variable of another type was read as a device ID");
    }
    return 0;
}
