#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Win32Error.h"

namespace sharing {

// The most of a captured program's output that is kept.
constexpr std::size_t kCaptureLimit = 4096;

// Starts the command line (a system tool in System32, found in the system's own folder also
// from a 32-bit program on 64-bit Windows) with its window hidden and waits for it to end. With
// `output`, its standard output and error go to one pipe that is read while it runs (so a talkative
// child never blocks on a full pipe), and the first kCaptureLimit bytes are kept there. 0 when it
// ran and its exit code could be read (the exit code itself is not judged), else the Win32 error.
platform::win32::Error runHidden(const std::wstring& commandLine, std::string* output = nullptr);

// Runs the command through runHidden with its output captured; true with the first
// kCaptureLimit bytes of output as text of the system code page (up to a zero byte).
bool runCapture(const std::wstring& commandLine, std::wstring& text);

}  // namespace sharing
