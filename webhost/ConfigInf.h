#pragma once

#include <QString>

#include "ProfileFile.h"
#include "WindowSettings.h"
#include "process/ProductSection.h"

namespace webhost {

class ProfileFile;

// Everything start-up reads from config.inf, initialised with start-up's defaults.
struct StartupSettings {
    WindowSettings window;
    FrameFlags frame;
    WindowOptions options;
    bool singleApp = true;
    QString startUrl;
    bool tempLocalStorage = false;
    bool tempCookie = false;
    process::ProductSection product;
};

// The file's name in the program folder.
constexpr const char* kConfigInfName = "config.inf";

// Overwrites `settings` with the values of config.inf at `path`. When the file does not exist
// every value keeps its default; when it exists, every key is read and a missing string key
// gives an empty string (so a file without `url` gives an empty start URL). Always succeeds.
void readConfigInf(const QString& path, StartupSettings& settings);
void applyConfigInf(const ProfileFile& file, StartupSettings& settings);

// The caption value "l,t,r,b[,b...]": tokens split at commas (empty ones skipped) and parsed as
// decimals; the first three set left, top, right and every further one sets bottom.
void applyCaptionTokens(const QString& value, WinRect& captionRect);

// The product section's registry root from config.inf: a predefined key's number (as an
// unsigned or a wrapped negative value) or its name; anything else keeps `fallback`.
platform::RegistryRoot parseRegistryRoot(const QString& value, platform::RegistryRoot fallback);

}  // namespace webhost
