#include <QString>

#include "PosixProcesses.h"

namespace platform::posix {

std::string toUtf8(const std::wstring& text) {
    return QString::fromStdWString(text).toStdString();
}

std::wstring fromUtf8(const std::string& text) {
    return QString::fromStdString(text).toStdWString();
}

}  // namespace platform::posix
