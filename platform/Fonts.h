#pragma once

#include <string>
#include <vector>

#include "Win32Error.h"

// The fonts installed on the system, as GDI enumerates them for the screen.
namespace platform {

// One font of an enumeration: LOGFONTW.lfFaceName and ENUMLOGFONTEXW.elfFullName.
struct InstalledFont {
    std::wstring faceName;
    std::wstring fullName;
};

class Fonts {
public:
    virtual ~Fonts() = default;

    // EnumFontFamiliesExW on the screen's device context with DEFAULT_CHARSET: the installed
    // fonts of the family `faceName` (compared without regard to letter case, as GDI does; at
    // most 31 characters count, the face-name limit), every installed font when it is empty.
    // Nothing found is not an error.
    virtual win32::Error enumFontFamilies(const std::wstring& faceName,
                                          std::vector<InstalledFont>& fonts) = 0;
};

// The Fonts of the system this process runs on (see Platform.h).
Fonts& fonts();

}  // namespace platform
