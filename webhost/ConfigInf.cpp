#include "ConfigInf.h"

#include <QFileInfo>

#include "ProfileFile.h"

namespace webhost {
namespace {

// Strings are read into a 520-character buffer, as the product always did.
constexpr int kStringBufferChars = 520;

const QString kOther = QStringLiteral("other");
const QString kWindow = QStringLiteral("window");
const QString kProduct = QStringLiteral("product");

// The predefined registry keys, numbered as HKEY_* are.
constexpr quint32 kHkeyCurrentUser = 0x80000001;
constexpr quint32 kHkeyLocalMachine = 0x80000002;
constexpr quint32 kHkeyCurrentConfig = 0x80000005;

QString readString(const ProfileFile& file, const QString& section, const char* key) {
    return file.string(section, QLatin1String(key), QString(), kStringBufferChars);
}

int readInt(const ProfileFile& file, const QString& section, const char* key, int fallback) {
    return file.integer(section, QLatin1String(key), fallback);
}

void applyWindowGeometry(const ProfileFile& file, StartupSettings& s) {
    WinRect& rect = s.window.windowRect;
    rect.left = readInt(file, kWindow, "x", 0);
    rect.top = readInt(file, kWindow, "y", 0);
    rect.right = rect.left + readInt(file, kWindow, "width", 800);
    rect.bottom = rect.top + readInt(file, kWindow, "height", 600);
    s.window.minWidth = readInt(file, kWindow, "minwidth", 0);
    s.window.minHeight = readInt(file, kWindow, "minheight", 0);
    applyCaptionTokens(readString(file, kWindow, "caption"), s.window.captionRect);
}

void applyWindowBehaviour(const ProfileFile& file, StartupSettings& s) {
    s.options.centerWindow = readInt(file, kWindow, "center", 1) == 1;
    s.frame.borderless = readInt(file, kWindow, "borderless", 1) == 1;
    const bool borderResize = readInt(file, kWindow, "borderResize", 1) == 1;
    s.frame.borderlessResize = borderResize;
    s.frame.borderlessDrag = borderResize;
    s.options.editVisible = readInt(file, kWindow, "addrBarVisible", 1) > 0;
    s.tempLocalStorage = readInt(file, kWindow, "tempLocalStorage", 0) == 1;
    s.tempCookie = readInt(file, kWindow, "tempCookie", 1) == 1;
    s.window.devTools = readInt(file, kWindow, "z", 0);
    s.window.enableHotkey = readInt(file, kWindow, "enableHotkey", 0);
}

void applyWindowTexts(const ProfileFile& file, StartupSettings& s) {
    s.startUrl = readString(file, kWindow, "url");
    s.window.host = readString(file, kWindow, "host").toUtf8();
    s.window.windowClass = readString(file, kWindow, "windowClass");
}

void applyProduct(const ProfileFile& file, StartupSettings& s) {
    s.product.hRootKey =
        parseRegistryRoot(readString(file, kProduct, "hRootKey"), s.product.hRootKey);
    s.product.subkey = readString(file, kProduct, "subkey");
    s.product.productName = readString(file, kProduct, "productName");
    s.product.channel = readString(file, kProduct, "channel");
    s.window.caption = readString(file, kProduct, "friendlyProductName");
}

}  // namespace

void readConfigInf(const QString& path, StartupSettings& settings) {
    ProfileFile file;
    if (!QFileInfo(path).isFile() || !file.load(path)) {
        return;
    }
    applyConfigInf(file, settings);
}

void applyConfigInf(const ProfileFile& file, StartupSettings& settings) {
    settings.singleApp = readInt(file, kOther, "singleApp", 0) == 1;
    applyWindowGeometry(file, settings);
    applyWindowBehaviour(file, settings);
    applyWindowTexts(file, settings);
    applyProduct(file, settings);
}

void applyCaptionTokens(const QString& value, WinRect& captionRect) {
    const QStringList tokens = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
    int* const fields[] = {&captionRect.left, &captionRect.top, &captionRect.right};
    for (int i = 0; i < tokens.size(); ++i) {
        const int number = parseProfileInt(tokens[i]);
        *(i < 3 ? fields[i] : &captionRect.bottom) = number;
    }
}

platform::RegistryRoot parseRegistryRoot(const QString& value, platform::RegistryRoot fallback) {
    const QString name = value.trimmed().toUpper();
    if (name.isEmpty()) {
        return fallback;
    }
    if (name == QLatin1String("HKEY_CURRENT_USER") || name == QLatin1String("HKCU")) {
        return platform::RegistryRoot::CurrentUser;
    }
    if (name == QLatin1String("HKEY_LOCAL_MACHINE") || name == QLatin1String("HKLM")) {
        return platform::RegistryRoot::LocalMachine;
    }
    if (name == QLatin1String("HKEY_CURRENT_CONFIG") || name == QLatin1String("HKCC")) {
        return platform::RegistryRoot::CurrentConfig;
    }
    switch (static_cast<quint32>(parseProfileInt(name))) {
        case kHkeyCurrentUser:
            return platform::RegistryRoot::CurrentUser;
        case kHkeyLocalMachine:
            return platform::RegistryRoot::LocalMachine;
        case kHkeyCurrentConfig:
            return platform::RegistryRoot::CurrentConfig;
        default:
            return fallback;
    }
}

}  // namespace webhost
