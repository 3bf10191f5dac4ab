#pragma once

#include <QString>

#include "platform/Registry.h"

namespace process {

// The [product] section of config.inf: where the product keeps its registry values, and the names
// it reports. One per process; the defaults hold until config.inf has been read.
struct ProductSection {
    platform::RegistryRoot hRootKey = platform::RegistryRoot::LocalMachine;
    QString subkey = QStringLiteral("corvanta");
    QString productName = QStringLiteral("printer");
    QString channel = QStringLiteral("official");
};

}  // namespace process
