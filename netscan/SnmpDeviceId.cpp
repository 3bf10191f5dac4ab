// The device-ID query over Net-SNMP's single-session interface: each query owns one session,
// so no library state is shared between the probe threads.
#include "SnmpDeviceId.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace netscan {

namespace {

// The read community agents ship with.
constexpr char kDefaultCommunity[] = "public";
constexpr std::size_t kCommunityLength = sizeof kDefaultCommunity - 1;
constexpr std::size_t kMaxSubIdentifiers = 128;

// The library's first session set-up initialises process-wide defaults without a lock; the
// probe threads open their sessions one at a time. The exchange itself runs unlocked.
std::mutex& openLock() {
    static std::mutex lock;
    return lock;
}

// Reads no configuration file and no MIB: the query needs neither, and a user's snmp.conf must
// not change what the scan sends.
void keepLibraryToItself() {
    static std::once_flag once;
    std::call_once(once, [] {
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    });
}

struct SessionCloser {
    void operator()(void* session) const { snmp_sess_close(session); }
};
using SessionHandle = std::unique_ptr<void, SessionCloser>;

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using Response = std::unique_ptr<netsnmp_pdu, PduDeleter>;

// The error texts of the library are fetched (which resets them) and released unread.
void discardOpenError(netsnmp_session& session) {
    int libraryError = 0, systemError = 0;
    char* text = nullptr;
    snmp_error(&session, &libraryError, &systemError, &text);
    std::free(text);
}

void discardSessionError(void* handle) {
    int libraryError = 0, systemError = 0;
    char* text = nullptr;
    snmp_sess_error(handle, &libraryError, &systemError, &text);
    std::free(text);
}

// The session's community, owned by the session from here on (the library frees it on close).
void useDefaultCommunity(netsnmp_session& session) {
    auto* community = static_cast<u_char*>(std::malloc(kCommunityLength));
    if (!community)
        return;
    std::memcpy(community, kDefaultCommunity, kCommunityLength);
    std::free(session.community);
    session.community = community;
    session.community_len = kCommunityLength;
    session.version = SNMP_VERSION_1;
}

}  // namespace

int queryDeviceId(const std::string& ip, std::string& deviceId) {
    deviceId.clear();
    keepLibraryToItself();
    netsnmp_session settings;
    std::string peer = ip;
    SessionHandle handle;
    {
        std::lock_guard<std::mutex> guard(openLock());
        snmp_sess_init(&settings);
        settings.peername = peer.data();
        handle.reset(snmp_sess_open(&settings));
        if (!handle) {
            discardOpenError(settings);
            return kSnmpOpenFailed;
        }
    }
    netsnmp_session* session = snmp_sess_session(handle.get());
    useDefaultCommunity(*session);

    netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
    oid name[kMaxSubIdentifiers];
    size_t nameLength = kMaxSubIdentifiers;
    read_objid(kDeviceIdOid, name, &nameLength);
    snmp_add_null_var(request, name, nameLength);

    netsnmp_pdu* received = nullptr;
    // The library frees the request in every case.
    const int status = snmp_sess_synch_response(handle.get(), request, &received);
    const Response response(received);
    if (status == STAT_SUCCESS && response) {
        return deviceIdFromResponse(*response, deviceId);
    }
    if (status == STAT_TIMEOUT)
        return kSnmpTimeout;
    discardSessionError(handle.get());
    return kSnmpFailed;
}

int deviceIdFromResponse(const netsnmp_pdu& response, std::string& deviceId) {
    deviceId.clear();
    if (response.errstat != SNMP_ERR_NOERROR)
        return kSnmpFailed;
    int outcome = kSnmpSuccess;
    for (const netsnmp_variable_list* variable = response.variables; variable;
         variable = variable->next_variable) {
        if (variable->type == ASN_OCTET_STR) {
            const char* bytes = reinterpret_cast<const char*>(variable->val.string);
            std::size_t length = bytes ? variable->val_len : 0;
            if (const void* zero = bytes ? std::memchr(bytes, 0, length) : nullptr)
                length = static_cast<std::size_t>(static_cast<const char*>(zero) - bytes);
            deviceId.assign(bytes ? bytes : "", length);
            outcome = kSnmpSuccess;
        } else {
            outcome = kSnmpNotOctetString;
        }
    }
    return outcome;
}

}  // namespace netscan
