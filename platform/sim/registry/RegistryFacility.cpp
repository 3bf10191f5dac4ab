// The simulated PC's registry: keys and values in the "registry" document, with access rules.
#include <QTextStream>

#include "platform/Registry.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/registry/RegCommand.h"
#include "platform/sim/registry/RegistryData.h"
#include "platform/sim/registry/RegistryDocument.h"
#include "platform/sim/registry/RegistryValue.h"
#include "platform/sim/registry/SimRegistry.h"

namespace platform::sim {

namespace {

bool checkRegistry(const QJsonObject& document, QString& error) {
    RegistryData data;
    return readRegistryDocument(document, data, error);
}

bool showRegistry(const QJsonObject& document, QTextStream& out, QString& error) {
    RegistryData data;
    if (!readRegistryDocument(document, data, error)) {
        return false;
    }
    const QJsonObject keys = data.keysJson();
    for (auto key = keys.begin(); key != keys.end(); ++key) {
        out << "  " << key.key() << '\n';
        const RegistryKeyEntry* entry = data.key(key.key());
        for (const NamedRegistryValue& value : entry->values) {
            out << "      " << (value.name.isEmpty() ? QStringLiteral("(Default)") : value.name)
                << "    " << registryTypeName(value.value.type) << "    "
                << registryDataText(value.value) << '\n';
        }
    }
    const QJsonObject access = data.accessJson();
    for (auto rule = access.begin(); rule != access.end(); ++rule) {
        out << "  access " << rule.value().toString() << ": " << rule.key() << '\n';
    }
    return true;
}

// This process is a program of the PC: of 32 bits under WOW64 where the PC says so.
void buildRegistry(SimulatedPc& pc) {
    const SimRegistry::View view =
        pc.machine().system().wow64 ? SimRegistry::View::Program32Bit : SimRegistry::View::Native;
    pc.provide<Registry>(std::make_unique<SimRegistry>(pc.machine().store(), view));
}

}  // namespace

FacilityDescription describeRegistryFacility() {
    FacilityDescription facility;
    facility.name = kRegistryFacility;
    facility.profileSections = {registryProfileSection(), registryAccessProfileSection()};
    facility.checkDocument = checkRegistry;
    facility.show = showRegistry;
    facility.verbs = {
        {"reg",
         "reg query KEY [VALUE]      a key's values and subkeys, or one value\n"
         "reg set KEY VALUE TYPE DATA\n"
         "                           set a value (TYPE REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ with\n"
         "                           strings separated by \\0, REG_DWORD, REG_QWORD, REG_BINARY "
         "as\n"
         "                           hex); KEY starts with HKLM, HKCU or HKCC (or their long "
         "names)\n"
         "reg delete KEY [VALUE]     delete a value, or a key with everything below it",
         runRegVerb},
    };
    facility.build = buildRegistry;
    return facility;
}

}  // namespace platform::sim

namespace platform {

Registry& registry() {
    return sim::processPc().get<Registry>();
}

}  // namespace platform
