// config.inf as the program reads it at start: any bytes (byte-order marks, odd line ends,
// sections and keys of any length), then the settings it decides.
#include "FuzzSupport.h"
#include "webhost/ConfigInf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::inputFile(QStringLiteral("config.inf"), fuzz::bytes(data, size));
    webhost::StartupSettings settings;
    webhost::readConfigInf(path, settings);
    return 0;
}
