#include "sharing/ShareProcesses.h"

#include <QString>

#include <algorithm>
#include <memory>

#include "platform/Processes.h"

namespace sharing {

platform::win32::Error runHidden(const std::wstring& commandLine, std::string* output) {
    platform::StartRequest request;
    request.commandLine = commandLine;
    request.show = platform::ShowMode::Hidden;
    request.captureOutput = output != nullptr;
    request.nativeSystemFolder = true;  // the system's own PowerShell, not SysWOW64's
    std::unique_ptr<platform::Process> child;
    if (const platform::win32::Error error = platform::processes().start(request, child)) {
        return error;
    }
    if (output != nullptr) {
        output->clear();
        char buffer[kCaptureLimit];
        long count = 0;
        while ((count = child->readOutput(buffer, sizeof buffer)) > 0) {
            const std::size_t room = kCaptureLimit - output->size();
            output->append(buffer, std::min<std::size_t>(room, static_cast<std::size_t>(count)));
        }
    }
    child->wait(-1);
    // The exit code is read, as the caller learns only whether the program ran.
    child->exitCode();
    return platform::win32::kSuccess;
}

bool runCapture(const std::wstring& commandLine, std::wstring& text) {
    std::string output;
    if (runHidden(commandLine, &output) != platform::win32::kSuccess) {
        return false;
    }
    output.resize(std::min(output.size(), output.find('\0')));
    text = QString::fromLocal8Bit(output.data(), static_cast<int>(output.size())).toStdWString();
    return true;
}

}  // namespace sharing
