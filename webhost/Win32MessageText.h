#pragma once

#include <QString>

namespace webhost {

// FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM) for the Win32 errors this product can produce, in
// the standard English wording with its trailing line break; "unknown error N" for others.
QString win32MessageText(quint32 code);

}  // namespace webhost
