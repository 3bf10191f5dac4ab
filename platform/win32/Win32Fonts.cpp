// The installed fonts as GDI enumerates them for the screen; the screen's device context is
// released by RAII.
#include <windows.h>

#include <algorithm>

#include "Backend.h"

namespace platform::win32 {

namespace {

// The screen's device context (GetDC(nullptr)) for the life of the object.
class ScreenContext {
public:
    ScreenContext() : context_(GetDC(nullptr)) {}
    ~ScreenContext() {
        if (context_ != nullptr) {
            ReleaseDC(nullptr, context_);
        }
    }
    ScreenContext(const ScreenContext&) = delete;
    ScreenContext& operator=(const ScreenContext&) = delete;
    HDC get() const { return context_; }

private:
    HDC context_;
};

int CALLBACK collectFont(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM found) {
    // For outline and raster fonts alike GDI passes an ENUMLOGFONTEXW.
    const auto* full = reinterpret_cast<const ENUMLOGFONTEXW*>(font);
    reinterpret_cast<std::vector<InstalledFont>*>(found)->push_back(
        {full->elfLogFont.lfFaceName, reinterpret_cast<const wchar_t*>(full->elfFullName)});
    return 1;  // go on
}

class Win32Fonts final : public Fonts {
public:
    Error enumFontFamilies(const std::wstring& faceName,
                           std::vector<InstalledFont>& fonts) override {
        fonts.clear();
        const ScreenContext screen;
        if (screen.get() == nullptr) {
            return failureReason();
        }
        LOGFONTW wanted{};
        wanted.lfCharSet = DEFAULT_CHARSET;
        // Face names hold at most LF_FACESIZE - 1 characters; a longer one is cut there.
        const std::size_t length = std::min<std::size_t>(faceName.size(), LF_FACESIZE - 1);
        std::copy(faceName.begin(), faceName.begin() + static_cast<std::ptrdiff_t>(length),
                  wanted.lfFaceName);
        EnumFontFamiliesExW(screen.get(), &wanted, collectFont, reinterpret_cast<LPARAM>(&fonts),
                            0);
        return kSuccess;
    }
};

}  // namespace

std::unique_ptr<Fonts> makeFonts() {
    return std::make_unique<Win32Fonts>();
}

}  // namespace platform::win32
