#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace platform::sim {

// One registry value as Windows stores it: a type and the bytes in Windows layout.
struct RegistryValue {
    std::uint32_t type = 0;
    QByteArray data;

    bool operator==(const RegistryValue& other) const {
        return type == other.type && data == other.data;
    }
};

// "REG_SZ", ... for the known types, else the number as text.
QString registryTypeName(std::uint32_t type);
// Accepts the REG_* names of the known types.
bool registryTypeFromName(const QString& name, std::uint32_t& type);

// The typed JSON form used by profiles and the state store:
//   "text"                                  REG_SZ
//   42                                      REG_DWORD
//   {"type": "REG_EXPAND_SZ", "data": "%SystemRoot%"}
//   {"type": "REG_MULTI_SZ", "data": ["a", "b"]}
//   {"type": "REG_QWORD", "data": 5000000000}   (or a decimal string beyond 2^53)
//   {"type": "REG_BINARY", "data": "01ab ff"}   (hex digits, spaces allowed)
//   {"type": <name or number>, "hex": "..."}    raw bytes of any type, for data that has no
//                                               typed form (a string without terminator, ...)
// On failure `error` names `path`.
bool registryValueFromJson(const QJsonValue& json, const QString& path, RegistryValue& value,
                           QString& error);
// The most readable form that gives back exactly the same bytes.
QJsonValue registryValueToJson(const RegistryValue& value);

// Typed construction, also used by the command-line tool.
QByteArray utf16Bytes(const QString& text);
QByteArray multiStringBytes(const QStringList& strings);
QByteArray dwordBytes(std::uint32_t value);
// Hex digits, spaces allowed between them.
bool bytesFromHex(const QString& text, QByteArray& bytes);
QByteArray qwordBytes(std::uint64_t value);
QString stringFromBytes(const QByteArray& data);
QStringList multiStringFromBytes(const QByteArray& data);
bool dwordFromBytes(const QByteArray& data, std::uint32_t& value);
bool qwordFromBytes(const QByteArray& data, std::uint64_t& value);

// "REG_SZ  text" style rendering of the data for people (the tool's query and show commands).
QString registryDataText(const RegistryValue& value);

}  // namespace platform::sim
