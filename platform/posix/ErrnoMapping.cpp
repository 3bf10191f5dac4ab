#include <cerrno>

#include "PosixProcesses.h"

namespace platform::posix {

namespace {
// ERROR_BAD_EXE_FORMAT: what CreateProcessW answers for a file that is not a program.
constexpr win32::Error kBadExeFormat = 193;
}  // namespace

win32::Error win32FromErrno(int error) {
    switch (error) {
        case 0:
            return win32::kSuccess;
        case ENOENT:
            return win32::kFileNotFound;
        case ENOTDIR:
            return win32::kPathNotFound;
        case EACCES:
        case EPERM:
            return win32::kAccessDenied;
        case ENOEXEC:
            return kBadExeFormat;
        case ENOMEM:
        case EAGAIN:
            return win32::kNotEnoughMemory;
        case EBADF:
            return win32::kInvalidHandle;
        case ENAMETOOLONG:
            return win32::kInvalidName;
        case EEXIST:
            return win32::kAlreadyExists;
        default:
            return win32::kInvalidParameter;
    }
}

}  // namespace platform::posix
