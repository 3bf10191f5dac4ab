#include "platform/sim/registry/RegistryValue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Registry.h"
#include "platform/sim/core/JsonCheck.h"

namespace platform::sim {

namespace {

struct TypeName {
    std::uint32_t type;
    const char* name;
};

constexpr std::array<TypeName, 7> kTypeNames{{
    {kRegNone, "REG_NONE"},
    {kRegSz, "REG_SZ"},
    {kRegExpandSz, "REG_EXPAND_SZ"},
    {kRegBinary, "REG_BINARY"},
    {kRegDword, "REG_DWORD"},
    {kRegMultiSz, "REG_MULTI_SZ"},
    {kRegQword, "REG_QWORD"},
}};

// Whole numbers up to 2^53 survive a JSON double; larger QWORDs are written as text.
constexpr double kLargestExactDouble = 9007199254740992.0;
constexpr double kLargestDword = 4294967295.0;

bool isStringType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz;
}

QString bytesToHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' '));
}

bool readQword(const QJsonValue& data, std::uint64_t& value) {
    if (data.isString()) {
        bool ok = false;
        value = data.toString().toULongLong(&ok);
        return ok;
    }
    const double number = data.toDouble(-1);
    if (!data.isDouble() || number < 0 || number > kLargestExactDouble ||
        std::floor(number) != number) {
        return false;
    }
    value = static_cast<std::uint64_t>(number);
    return true;
}

bool readDword(const QJsonValue& data, std::uint32_t& value) {
    const double number = data.toDouble(-1);
    if (!data.isDouble() || number < 0 || number > kLargestDword || std::floor(number) != number) {
        return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

bool readStringList(const QJsonValue& data, QStringList& strings) {
    if (!data.isArray()) {
        return false;
    }
    for (const QJsonValue& item : data.toArray()) {
        if (!item.isString() || item.toString().isEmpty()) {
            return false;
        }
        strings << item.toString();
    }
    return true;
}

// The typed "data" member for `type`; false when it has the wrong form.
bool typedDataToBytes(std::uint32_t type, const QJsonValue& data, QByteArray& bytes) {
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
            bytes = utf16Bytes(data.toString());
            return data.isString();
        case kRegDword: {
            std::uint32_t value = 0;
            if (!readDword(data, value)) {
                return false;
            }
            bytes = dwordBytes(value);
            return true;
        }
        case kRegQword: {
            std::uint64_t value = 0;
            if (!readQword(data, value)) {
                return false;
            }
            bytes = qwordBytes(value);
            return true;
        }
        case kRegMultiSz: {
            QStringList strings;
            if (!readStringList(data, strings)) {
                return false;
            }
            bytes = multiStringBytes(strings);
            return true;
        }
        case kRegBinary:
            return data.isString() && bytesFromHex(data.toString(), bytes);
        default:
            return false;
    }
}

QString expectedDataForm(std::uint32_t type) {
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
            return QStringLiteral("a string");
        case kRegDword:
            return QStringLiteral("a whole number from 0 to 4294967295");
        case kRegQword:
            return QStringLiteral("a whole number (a decimal string above 2^53)");
        case kRegMultiSz:
            return QStringLiteral("an array of non-empty strings");
        case kRegBinary:
            return QStringLiteral("hex digits");
        default:
            return QStringLiteral("nothing: give this type's bytes as \"hex\"");
    }
}

bool readTypeField(const QJsonObject& object, const QString& path, std::uint32_t& type,
                   QString& error) {
    const QJsonValue field = object.value(QStringLiteral("type"));
    const QString fieldPath = json::memberPath(path, QStringLiteral("type"));
    if (field.isString() && registryTypeFromName(field.toString(), type)) {
        return true;
    }
    const double number = field.toDouble(-1);
    if (field.isDouble() && number >= 0 && number <= kLargestDword &&
        std::floor(number) == number) {
        type = static_cast<std::uint32_t>(number);
        return true;
    }
    error = QStringLiteral("%1: expected a REG_* type name or a type number").arg(fieldPath);
    return false;
}

bool valueFromObject(const QJsonObject& object, const QString& path, RegistryValue& value,
                     QString& error) {
    const QStringList known{QStringLiteral("type"), QStringLiteral("data"), QStringLiteral("hex")};
    if (!json::rejectUnknownFields(object, known, path, error) ||
        !readTypeField(object, path, value.type, error)) {
        return false;
    }
    const bool hasData = object.contains(QStringLiteral("data"));
    const bool hasHex = object.contains(QStringLiteral("hex"));
    if (hasData == hasHex) {
        error = QStringLiteral("%1: give exactly one of \"data\" and \"hex\"").arg(path);
        return false;
    }
    if (hasHex) {
        const QJsonValue hex = object.value(QStringLiteral("hex"));
        if (!hex.isString() || !bytesFromHex(hex.toString(), value.data)) {
            error = QStringLiteral("%1: expected hex digits")
                        .arg(json::memberPath(path, QStringLiteral("hex")));
            return false;
        }
        return true;
    }
    if (!typedDataToBytes(value.type, object.value(QStringLiteral("data")), value.data)) {
        error =
            QStringLiteral("%1: expected %2")
                .arg(json::memberPath(path, QStringLiteral("data")), expectedDataForm(value.type));
        return false;
    }
    return true;
}

QJsonValue numberData(const RegistryValue& value) {
    std::uint32_t dword = 0;
    std::uint64_t qword = 0;
    if (value.type == kRegDword && dwordFromBytes(value.data, dword)) {
        return double(dword);
    }
    if (value.type == kRegQword && qwordFromBytes(value.data, qword)) {
        return qword <= static_cast<std::uint64_t>(kLargestExactDouble)
                   ? QJsonValue(double(qword))
                   : QJsonValue(QString::number(qword));
    }
    return QJsonValue::Undefined;
}

QJsonValue candidateData(const RegistryValue& value) {
    if (isStringType(value.type)) {
        return stringFromBytes(value.data);
    }
    if (value.type == kRegMultiSz) {
        return QJsonArray::fromStringList(multiStringFromBytes(value.data));
    }
    if (value.type == kRegBinary) {
        return bytesToHex(value.data);
    }
    return numberData(value);
}

// The typed form of the data, or an undefined value when the bytes have none that gives them
// back exactly (a string without its terminator, a DWORD of three bytes, ...).
QJsonValue typedData(const RegistryValue& value) {
    const QJsonValue data = candidateData(value);
    QByteArray again;
    if (data.isUndefined() || !typedDataToBytes(value.type, data, again) || again != value.data) {
        return QJsonValue::Undefined;
    }
    return data;
}

}  // namespace

QString registryTypeName(std::uint32_t type) {
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == type) {
            return QString::fromLatin1(entry.name);
        }
    }
    return QString::number(type);
}

bool registryTypeFromName(const QString& name, std::uint32_t& type) {
    for (const TypeName& entry : kTypeNames) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

bool registryValueFromJson(const QJsonValue& json, const QString& path, RegistryValue& value,
                           QString& error) {
    if (json.isString()) {
        value = {kRegSz, utf16Bytes(json.toString())};
        return true;
    }
    if (json.isDouble()) {
        std::uint32_t number = 0;
        if (!readDword(json, number)) {
            error =
                QStringLiteral("%1: a REG_DWORD is a whole number from 0 to 4294967295").arg(path);
            return false;
        }
        value = {kRegDword, dwordBytes(number)};
        return true;
    }
    if (json.isObject()) {
        return valueFromObject(json.toObject(), path, value, error);
    }
    error = QStringLiteral("%1: expected a string, a number or a typed value object").arg(path);
    return false;
}

QJsonValue registryValueToJson(const RegistryValue& value) {
    const QJsonValue data = typedData(value);
    if ((value.type == kRegSz && data.isString()) || (value.type == kRegDword && data.isDouble())) {
        return data;
    }
    const QString name = registryTypeName(value.type);
    const bool named = name.startsWith(QLatin1String("REG_"));
    QJsonObject object{{QStringLiteral("type"), named ? QJsonValue(name) : double(value.type)}};
    if (data.isUndefined()) {
        object.insert(QStringLiteral("hex"), bytesToHex(value.data));
    } else {
        object.insert(QStringLiteral("data"), data);
    }
    return object;
}

bool bytesFromHex(const QString& text, QByteArray& bytes) {
    QString digits = text;
    digits.remove(QLatin1Char(' '));
    if (digits.size() % 2 != 0) {
        return false;
    }
    // Only ASCII hex digits: QChar::isDigit() also takes other scripts' digits, which
    // fromHex() would silently skip and so shift every byte after them.
    const auto isHexDigit = [](QChar ch) {
        const char16_t unit = ch.unicode();
        return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
               (unit >= u'A' && unit <= u'F');
    };
    if (!std::all_of(digits.cbegin(), digits.cend(), isHexDigit)) {
        return false;
    }
    bytes = QByteArray::fromHex(digits.toLatin1());
    return true;
}

QByteArray utf16Bytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (QChar ch : text) {
        bytes.append(static_cast<char>(ch.unicode() & 0xFF));
        bytes.append(static_cast<char>(ch.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

QByteArray multiStringBytes(const QStringList& strings) {
    QByteArray bytes;
    for (const QString& text : strings) {
        bytes += utf16Bytes(text);
    }
    bytes.append(2, '\0');
    return bytes;
}

QByteArray dwordBytes(std::uint32_t value) {
    QByteArray bytes(sizeof value, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray qwordBytes(std::uint64_t value) {
    QByteArray bytes(sizeof value, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QString stringFromBytes(const QByteArray& data) {
    const std::wstring text =
        reg::decodeString(reinterpret_cast<const std::uint8_t*>(data.constData()), data.size());
    return QString::fromStdWString(text);
}

QStringList multiStringFromBytes(const QByteArray& data) {
    QStringList strings;
    for (const std::wstring& text : reg::decodeMultiString(
             reinterpret_cast<const std::uint8_t*>(data.constData()), data.size())) {
        strings << QString::fromStdWString(text);
    }
    return strings;
}

bool dwordFromBytes(const QByteArray& data, std::uint32_t& value) {
    if (data.size() != sizeof value) {
        return false;
    }
    value = qFromLittleEndian<std::uint32_t>(data.constData());
    return true;
}

bool qwordFromBytes(const QByteArray& data, std::uint64_t& value) {
    if (data.size() != sizeof value) {
        return false;
    }
    value = qFromLittleEndian<std::uint64_t>(data.constData());
    return true;
}

QString registryDataText(const RegistryValue& value) {
    std::uint32_t dword = 0;
    std::uint64_t qword = 0;
    if (isStringType(value.type)) {
        return stringFromBytes(value.data);
    }
    if (value.type == kRegMultiSz) {
        return multiStringFromBytes(value.data).join(QStringLiteral("\\0"));
    }
    if (value.type == kRegDword && dwordFromBytes(value.data, dword)) {
        return QStringLiteral("0x%1").arg(dword, 0, 16);
    }
    if (value.type == kRegQword && qwordFromBytes(value.data, qword)) {
        return QStringLiteral("0x%1").arg(qword, 0, 16);
    }
    return QString::fromLatin1(value.data.toHex()).toUpper();
}

}  // namespace platform::sim
