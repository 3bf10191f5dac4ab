// Starting programs (CreateProcessW, ShellExecuteExW), the process list (Toolhelp), the token's
// rights and restarting the PC.
#include <windows.h>

#include <optional>
// (windows.h first: the headers below need its types.)
#include <shellapi.h>
#include <tlhelp32.h>

#include "Backend.h"
#include "Handles.h"

namespace platform::win32 {

namespace {

using UniqueHandle = Unique<HANDLE, CloseHandle>;

// Toolhelp and pipes answer INVALID_HANDLE_VALUE or null for "none"; both become null here.
HANDLE orNull(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

int showCommand(ShowMode show) {
    switch (show) {
        case ShowMode::Hidden:
            return SW_HIDE;
        case ShowMode::Minimized:
            return SW_SHOWMINNOACTIVE;
        case ShowMode::Maximized:
            return SW_SHOWMAXIMIZED;
        case ShowMode::Normal:
            break;
    }
    return SW_SHOWNORMAL;
}

// A 32-bit program on 64-bit Windows sees system32 redirected to SysWOW64. The system tools we
// start (rundll32 with printui, fontview, powershell) must be the native ones, so redirection
// is off for the calling thread while the program is resolved and started, and back on after
// (it also redirects this thread's own file access). Nothing happens on 32-bit Windows.
class FileSystemRedirectionOff {
public:
    FileSystemRedirectionOff() {
        BOOL wow64 = FALSE;
        if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64) {
            disabled_ = Wow64DisableWow64FsRedirection(&previous_) != FALSE;
        }
    }
    ~FileSystemRedirectionOff() {
        if (disabled_) {
            Wow64RevertWow64FsRedirection(previous_);
        }
    }
    FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
    FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;

private:
    void* previous_ = nullptr;
    bool disabled_ = false;
};

class Win32Process final : public Process {
public:
    Win32Process(UniqueHandle process, std::uint32_t pid, UniqueHandle output)
        : process_(std::move(process)), pid_(pid), output_(std::move(output)) {}

    std::uint32_t pid() const override { return pid_; }

    bool wait(int timeoutMs) override {
        const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
        return WaitForSingleObject(process_.get(), timeout) == WAIT_OBJECT_0;
    }

    std::uint32_t exitCode() override {
        DWORD code = kStillActive;
        if (!GetExitCodeProcess(process_.get(), &code)) {
            return kStillActive;
        }
        return code;
    }

    long readOutput(char* buffer, std::size_t size) override {
        if (!output_) {
            return -1;
        }
        DWORD read = 0;
        if (!ReadFile(output_.get(), buffer, static_cast<DWORD>(size), &read, nullptr)) {
            // The child closed its end: the output has ended.
            return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
        }
        return static_cast<long>(read);
    }

private:
    UniqueHandle process_;
    std::uint32_t pid_;
    UniqueHandle output_;
};

// A pipe whose write end the child inherits as standard output and error.
struct OutputPipe {
    UniqueHandle read;
    UniqueHandle write;
};

Error makeOutputPipe(OutputPipe& pipe) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        return lastError();
    }
    pipe.read.reset(readEnd);
    pipe.write.reset(writeEnd);
    // Only the write end goes to the child.
    if (!SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0)) {
        return lastError();
    }
    return kSuccess;
}

// A process attribute list naming the one handle a child may inherit
// (PROC_THREAD_ATTRIBUTE_HANDLE_LIST): without it a child inherits every inheritable handle of
// this process, among them the pipes other threads make for their children at the same time,
// and those pipes then see their end only when this child exits too.
class InheritOnly {
public:
    InheritOnly() = default;
    ~InheritOnly() {
        if (initialized_) {
            DeleteProcThreadAttributeList(list());
        }
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    // False when the system has no attribute lists; the child then inherits as before.
    bool set(HANDLE handle) {
        handle_ = handle;
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        if (size == 0) {
            return false;
        }
        buffer_.assign(size, 0);
        if (!InitializeProcThreadAttributeList(list(), 1, 0, &size)) {
            return false;
        }
        initialized_ = true;
        return UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_,
                                         sizeof handle_, nullptr, nullptr) != FALSE;
    }
    LPPROC_THREAD_ATTRIBUTE_LIST list() {
        return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    }

private:
    std::vector<unsigned char> buffer_;
    HANDLE handle_ = nullptr;
    bool initialized_ = false;
};

// Handles of a token we may change privileges of.
UniqueHandle processToken(DWORD access) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), access, &token)) {
        return {};
    }
    return UniqueHandle(token);
}

Error enableShutdownPrivilege() {
    const UniqueHandle token = processToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
    if (!token) {
        return lastError();
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        return lastError();
    }
    // AdjustTokenPrivileges succeeds without assigning; ERROR_NOT_ALL_ASSIGNED says so.
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
        return lastError();
    }
    return lastError();
}

using UniqueSid = Unique<PSID, FreeSid>;

class Win32Processes final : public Processes {
public:
    Error start(const StartRequest& request, std::unique_ptr<Process>& process) override {
        process.reset();
        OutputPipe pipe;
        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = static_cast<WORD>(showCommand(request.show));
        DWORD flags = CREATE_UNICODE_ENVIRONMENT;
        InheritOnly inheritOnly;
        if (request.captureOutput) {
            if (const Error error = makeOutputPipe(pipe)) {
                return error;
            }
            startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
            startup.StartupInfo.hStdInput = nullptr;
            startup.StartupInfo.hStdOutput = pipe.write.get();
            startup.StartupInfo.hStdError = pipe.write.get();
            // Only this pipe goes to the child, not the pipes other threads are making.
            if (inheritOnly.set(pipe.write.get())) {
                startup.lpAttributeList = inheritOnly.list();
                flags |= EXTENDED_STARTUPINFO_PRESENT;
            }
        }
        if (request.newProcessGroup) {
            flags |= CREATE_NEW_PROCESS_GROUP;
        }
        // CreateProcessW may write into the command line.
        std::wstring commandLine = request.commandLine;
        PROCESS_INFORMATION started{};
        BOOL created = FALSE;
        {
            std::optional<FileSystemRedirectionOff> redirectionOff;
            if (request.nativeSystemFolder) {
                redirectionOff.emplace();
            }
            created = CreateProcessW(
                nullptr, &commandLine[0], nullptr, nullptr, request.captureOutput ? TRUE : FALSE,
                flags, nullptr,
                request.workingDirectory.empty() ? nullptr : request.workingDirectory.c_str(),
                &startup.StartupInfo, &started);
        }
        if (!created) {
            return lastError();
        }
        CloseHandle(started.hThread);
        // Our copy of the write end must go, or reading never sees the end of the output.
        pipe.write.reset();
        process = std::make_unique<Win32Process>(UniqueHandle(started.hProcess),
                                                 started.dwProcessId, std::move(pipe.read));
        return kSuccess;
    }

    Error shellExecute(const std::wstring& verb, const std::wstring& file,
                       const std::wstring& parameters, const std::wstring& directory, ShowMode show,
                       std::unique_ptr<Process>* process) override {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpVerb = verb.empty() ? nullptr : verb.c_str();
        info.lpFile = file.c_str();
        info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
        info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
        info.nShow = showCommand(show);
        if (process != nullptr) {
            process->reset();
        }
        if (!ShellExecuteExW(&info)) {
            return lastError();
        }
        // A document opened in a program already running starts no process.
        UniqueHandle handle(info.hProcess);
        if (process != nullptr && handle) {
            const DWORD pid = GetProcessId(handle.get());
            *process = std::make_unique<Win32Process>(std::move(handle), pid, UniqueHandle());
        }
        return kSuccess;
    }

    Error shellExecuteNative(const std::wstring& verb, const std::wstring& file,
                             const std::wstring& parameters, const std::wstring& directory,
                             ShowMode show, std::unique_ptr<Process>* process) override {
        const FileSystemRedirectionOff redirectionOff;
        return shellExecute(verb, file, parameters, directory, show, process);
    }

    Error list(std::vector<ProcessEntry>& processes) override {
        processes.clear();
        const UniqueHandle snapshot(orNull(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
        if (!snapshot) {
            return lastError();
        }
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
             more = Process32NextW(snapshot.get(), &entry)) {
            processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
        }
        const Error error = lastError();
        return error == ERROR_NO_MORE_FILES ? kSuccess : error;
    }

    std::uint32_t currentProcessId() const override { return GetCurrentProcessId(); }
    std::uint32_t currentThreadId() const override { return GetCurrentThreadId(); }

    std::wstring currentProgramPath() const override {
        // GetModuleFileNameW truncates silently and answers the buffer size then.
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length =
                GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
            if (length == 0) {
                return {};
            }
            if (length < buffer.size()) {
                buffer.resize(length);
                return buffer;
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    bool isRunAsAdmin() const override {
        SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
        PSID administrators = nullptr;
        if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                      DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
            return false;
        }
        const UniqueSid owned(administrators);
        BOOL member = FALSE;
        return CheckTokenMembership(nullptr, administrators, &member) && member;
    }

    bool isElevated() const override {
        const UniqueHandle token = processToken(TOKEN_QUERY);
        if (!token) {
            return false;
        }
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                                   &size) &&
               elevation.TokenIsElevated != 0;
    }

    Error restartComputer(std::uint32_t flags, std::uint32_t reason) override {
        if (const Error error = enableShutdownPrivilege()) {
            return error;
        }
        if (!ExitWindowsEx(flags, reason)) {
            return lastError();
        }
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Processes> makeProcesses() {
    return std::make_unique<Win32Processes>();
}

}  // namespace platform::win32

namespace platform {

// Windows hands main's whole return value to the parent as the exit code.
int exitCodeOfMain(std::uint32_t code) {
    return static_cast<int>(code);
}

}  // namespace platform
