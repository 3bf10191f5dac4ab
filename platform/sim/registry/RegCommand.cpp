#include <QByteArray>

#include <limits>

#include "platform/sim/registry/RegCommand.h"

#include "platform/sim/core/Machine.h"
#include "platform/sim/core/SimulatedPc.h"
#include "platform/sim/registry/RegistryData.h"
#include "platform/sim/registry/RegistryValue.h"
#include "platform/sim/registry/SimRegistry.h"

namespace platform::sim {

namespace {

// reg.exe's wording, so that scripts written for it read the same outcome.
const char* kSuccessText = "The operation completed successfully.";
const char* kNotFoundText =
    "ERROR: The system was unable to find the specified registry key or value.";
const char* kDeniedText = "ERROR: Access is denied.";

int report(ProgramIo context, win32::Error error) {
    if (error == win32::kSuccess) {
        return 0;
    }
    if (error == win32::kFileNotFound) {
        context.err << kNotFoundText << Qt::endl;
    } else if (error == win32::kAccessDenied) {
        context.err << kDeniedText << Qt::endl;
    } else {
        context.err << "ERROR: registry error " << error << Qt::endl;
    }
    return 1;
}

QString displayName(const QString& valueName) {
    return valueName.isEmpty() ? QStringLiteral("(Default)") : valueName;
}

void printValue(ProgramIo context, const QString& name, const RegistryValue& value) {
    context.out << "    " << displayName(name) << "    " << registryTypeName(value.type) << "    "
                << registryDataText(value) << Qt::endl;
}

win32::Error readValue(RegistryKey& key, const std::wstring& name, RegistryValue& value) {
    std::uint32_t size = 0;
    win32::Error error = key.queryValue(name, &value.type, nullptr, &size);
    if (error != win32::kSuccess) {
        return error;
    }
    value.data.resize(static_cast<int>(size));
    error = key.queryValue(name, &value.type, reinterpret_cast<std::uint8_t*>(value.data.data()),
                           &size);
    value.data.resize(static_cast<int>(size));
    return error;
}

bool parseNumber(const QString& text, quint64 max, quint64& number) {
    bool ok = false;
    number = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                 ? text.mid(2).toULongLong(&ok, 16)
                 : text.toULongLong(&ok, 10);
    return ok && number <= max;
}

bool parseData(std::uint32_t type, const QString& text, QByteArray& data) {
    quint64 number = 0;
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
            data = utf16Bytes(text);
            return true;
        case kRegMultiSz:
            data = multiStringBytes(text.split(QStringLiteral("\\0"), Qt::SkipEmptyParts));
            return true;
        case kRegDword:
            if (!parseNumber(text, std::numeric_limits<std::uint32_t>::max(), number)) {
                return false;
            }
            data = dwordBytes(static_cast<std::uint32_t>(number));
            return true;
        case kRegQword:
            if (!parseNumber(text, std::numeric_limits<quint64>::max(), number)) {
                return false;
            }
            data = qwordBytes(number);
            return true;
        default:
            return bytesFromHex(text, data);
    }
}

// The value names equal to `wanted` without regard to case, as the key stores them.
std::vector<std::wstring> storedNames(const std::vector<std::wstring>& names,
                                      const QString& wanted) {
    std::vector<std::wstring> matches;
    for (const std::wstring& name : names) {
        if (QString::fromStdWString(name).compare(wanted, Qt::CaseInsensitive) == 0) {
            matches.push_back(name);
        }
    }
    return matches;
}

int query(SimRegistry& registry, const QStringList& words, ProgramIo context) {
    RegistryRoot root{};
    std::wstring path;
    if (!RegistryData::splitKeyName(words[0], root, path)) {
        return toolFailure(context, QStringLiteral("%1: not a registry key").arg(words[0]));
    }
    std::unique_ptr<RegistryKey> key;
    if (const win32::Error error = registry.openKey(root, path, kKeyRead, key)) {
        return report(context, error);
    }
    const QString keyName = RegistryData::fullName(root, path);
    std::vector<std::wstring> names;
    if (const win32::Error error = key->valueNames(names)) {
        return report(context, error);
    }
    if (words.size() > 1) {
        names = storedNames(names, words[1]);
        if (names.empty()) {
            return report(context, win32::kFileNotFound);
        }
    }
    context.out << keyName << Qt::endl;
    for (const std::wstring& name : names) {
        RegistryValue value;
        if (const win32::Error error = readValue(*key, name, value)) {
            return report(context, error);
        }
        printValue(context, QString::fromStdWString(name), value);
    }
    std::vector<std::wstring> subkeys;
    if (words.size() == 1 && key->subkeyNames(subkeys) == win32::kSuccess) {
        context.out << Qt::endl;
        for (const std::wstring& subkey : subkeys) {
            context.out << keyName << '\\' << QString::fromStdWString(subkey) << Qt::endl;
        }
    }
    return 0;
}

int set(SimRegistry& registry, const QStringList& words, ProgramIo context) {
    RegistryRoot root{};
    std::wstring path;
    std::uint32_t type = 0;
    QByteArray data;
    if (!RegistryData::splitKeyName(words[0], root, path)) {
        return toolFailure(context, QStringLiteral("%1: not a registry key").arg(words[0]));
    }
    if (!registryTypeFromName(words[2], type)) {
        return toolFailure(context, QStringLiteral("%1: not a registry type").arg(words[2]));
    }
    if (!parseData(type, words[3], data)) {
        return toolFailure(context,
                           QStringLiteral("%1: not valid %2 data").arg(words[3], words[2]));
    }
    std::unique_ptr<RegistryKey> key;
    win32::Error error = registry.createKey(root, path, kKeyWrite, key);
    if (error == win32::kSuccess) {
        error = key->setValue(words[1].toStdWString(), type,
                              reinterpret_cast<const std::uint8_t*>(data.constData()),
                              static_cast<std::uint32_t>(data.size()));
    }
    if (error == win32::kSuccess) {
        context.out << kSuccessText << Qt::endl;
    }
    return report(context, error);
}

int remove(SimRegistry& registry, const QStringList& words, ProgramIo context) {
    RegistryRoot root{};
    std::wstring path;
    if (!RegistryData::splitKeyName(words[0], root, path)) {
        return toolFailure(context, QStringLiteral("%1: not a registry key").arg(words[0]));
    }
    win32::Error error = win32::kSuccess;
    if (words.size() > 1) {
        std::unique_ptr<RegistryKey> key;
        error = registry.openKey(root, path, kKeyWrite | kKeyQueryValue, key);
        if (error == win32::kSuccess) {
            error = key->deleteValue(words[1].toStdWString());
        }
    } else {
        error = registry.deleteTree(root, path);
    }
    if (error == win32::kSuccess) {
        context.out << kSuccessText << Qt::endl;
    }
    return report(context, error);
}

}  // namespace

int runRegVerb(const QStringList& arguments, SimulatedPc& pc, ProgramIo context) {
    const QString action = arguments.value(0);
    const QStringList words = arguments.mid(1);
    const bool valid =
        (action == QLatin1String("query") && (words.size() == 1 || words.size() == 2)) ||
        (action == QLatin1String("set") && words.size() == 4) ||
        (action == QLatin1String("delete") && (words.size() == 1 || words.size() == 2));
    if (!valid) {
        return toolFailure(context,
                           QStringLiteral("use reg query KEY [VALUE], reg set KEY VALUE TYPE "
                                          "DATA or reg delete KEY [VALUE]"));
    }
    SimRegistry registry(pc.machine().store());
    if (action == QLatin1String("query")) {
        return query(registry, words, context);
    }
    return action == QLatin1String("set") ? set(registry, words, context)
                                          : remove(registry, words, context);
}

}  // namespace platform::sim
