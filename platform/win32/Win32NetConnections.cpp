// Windows networking (mpr) and the share listing of other hosts (netapi32): the enumeration
// handle and the buffers of both are released by RAII, and each read grows its buffer while
// the system says there is more.
#include <windows.h>
// (windows.h first: the networking headers need its types.)
#include <lm.h>
#include <winnetwk.h>

#include <vector>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueEnum = Unique<HANDLE, WNetCloseEnum>;
using UniqueNetBuffer = Unique<void*, NetApiBufferFree>;

// WNetEnumResource's buffer; 16 KiB is what the documentation suggests.
constexpr DWORD kEnumBufferBytes = 16 * 1024;
constexpr DWORD kAllEntries = 0xFFFFFFFF;
constexpr DWORD kUserNameLength = 256;

// WNetGetUserW for one connection: the user it was made with, empty when not found.
std::wstring connectionUser(const wchar_t* name) {
    std::vector<wchar_t> user(kUserNameLength, L'\0');
    for (;;) {
        DWORD length = static_cast<DWORD>(user.size());
        const DWORD status = WNetGetUserW(name, user.data(), &length);
        if (status == NO_ERROR) {
            return user.data();
        }
        if (status != ERROR_MORE_DATA || length <= user.size()) {
            return {};
        }
        user.assign(length, L'\0');
    }
}

// WNetEnumResourceW until ERROR_NO_MORE_ITEMS, the buffer grown when one entry does not fit.
Error enumerateConnections(HANDLE enumeration, std::vector<NetConnection>& connections) {
    std::vector<BYTE> buffer(kEnumBufferBytes, 0);
    for (;;) {
        DWORD count = kAllEntries;
        DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD status = WNetEnumResourceW(enumeration, &count, buffer.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) {
            return kSuccess;
        }
        if (status == ERROR_MORE_DATA && size > buffer.size()) {
            buffer.assign(size, 0);
            continue;
        }
        if (status != NO_ERROR) {
            return status;
        }
        const auto* resources = reinterpret_cast<const NETRESOURCEW*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            const NETRESOURCEW& resource = resources[i];
            if (resource.lpRemoteName == nullptr) {
                continue;
            }
            const wchar_t* name =
                resource.lpLocalName != nullptr && resource.lpLocalName[0] != L'\0'
                    ? resource.lpLocalName
                    : resource.lpRemoteName;
            connections.push_back({resource.lpRemoteName, connectionUser(name)});
        }
    }
}

class Win32NetConnections final : public NetConnections {
public:
    Error addConnection2(const NetResource& resource, const std::wstring* password,
                         const std::wstring* userName, std::uint32_t flags) override {
        std::wstring localName = resource.localName;
        std::wstring remoteName = resource.remoteName;
        std::wstring provider = resource.provider;
        NETRESOURCEW record{};
        record.dwType = resource.type;
        record.lpLocalName = localName.empty() ? nullptr : &localName[0];
        record.lpRemoteName = remoteName.empty() ? nullptr : &remoteName[0];
        record.lpProvider = provider.empty() ? nullptr : &provider[0];
        return WNetAddConnection2W(&record, password != nullptr ? password->c_str() : nullptr,
                                   userName != nullptr ? userName->c_str() : nullptr, flags);
    }

    Error cancelConnection2(const std::wstring& name, std::uint32_t flags, bool force) override {
        return WNetCancelConnection2W(name.c_str(), flags, force ? TRUE : FALSE);
    }

    Error connections(std::vector<NetConnection>& connections) override {
        connections.clear();
        HANDLE enumeration = nullptr;
        const DWORD status =
            WNetOpenEnumW(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, nullptr, &enumeration);
        if (status != NO_ERROR) {
            return status;
        }
        const UniqueEnum owner(enumeration);
        return enumerateConnections(enumeration, connections);
    }

    Error shareEnum(const std::wstring& server, std::vector<ShareInfo1>& shares,
                    std::uint32_t& resumeHandle) override {
        shares.clear();
        std::wstring serverName = server;
        LPBYTE buffer = nullptr;
        DWORD read = 0;
        DWORD total = 0;
        DWORD resume = resumeHandle;
        const NET_API_STATUS status =
            NetShareEnum(serverName.empty() ? nullptr : &serverName[0], 1, &buffer,
                         MAX_PREFERRED_LENGTH, &read, &total, &resume);
        const UniqueNetBuffer owner(buffer);
        if (status != NERR_Success && status != ERROR_MORE_DATA) {
            return status;
        }
        const auto* records = reinterpret_cast<const SHARE_INFO_1*>(buffer);
        for (DWORD i = 0; i < read; ++i) {
            shares.push_back({records[i].shi1_netname != nullptr ? records[i].shi1_netname : L"",
                              records[i].shi1_type,
                              records[i].shi1_remark != nullptr ? records[i].shi1_remark : L""});
        }
        resumeHandle = resume;
        return status;
    }
};

}  // namespace

std::unique_ptr<NetConnections> makeNetConnections() {
    return std::make_unique<Win32NetConnections>();
}

}  // namespace platform::win32
