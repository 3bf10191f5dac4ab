// A facility's state document as another process (or a damaged disk) may have left it: read by
// the store, checked by the facility, and updated in place.
#include <QDir>

#include "FuzzSupport.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/StateStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString directory = fuzz::scratch().filePath(QStringLiteral("machine"));
    QDir().mkpath(directory + QStringLiteral("/state"));
    platform::sim::StateStore store(directory);
    const QByteArray text = fuzz::bytes(data, size);
    for (const platform::sim::FacilityDescription& facility :
         platform::sim::registeredFacilities()) {
        fuzz::inputFile(QStringLiteral("machine/state/%1.json").arg(facility.name), text);
        QJsonObject document;
        QString error;
        if (!store.read(facility.name, document, error)) {
            fuzz::require(!error.isEmpty(), "state refused without a reason");
            continue;
        }
        if (facility.checkDocument) {
            facility.checkDocument(document, error);
        }
        // A readable document is also written back through the store's lock and rename.
        store.update(
            facility.name,
            [](QJsonObject& d) {
                d.insert(QStringLiteral("fuzzed"), true);
                return true;
            },
            error);
    }
    return 0;
}
