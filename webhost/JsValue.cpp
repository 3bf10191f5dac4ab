#include "JsValue.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "engine/WireFormat.h"

namespace webhost {

namespace {

// Objects up to this many members are searched member by member; larger ones keep an index.
constexpr int kMembersSearchedInOrder = 8;

// Numbers at or beyond these magnitudes are written with an exponent, as script does.
constexpr double kExponentAbove = 1e21;
constexpr double kExponentBelow = 1e-6;

// Script's ToString for a number: integers without a fraction, "NaN", "Infinity", and an
// exponent only for very large or very small magnitudes ("1e+21", "1.5e-7").
QByteArray numberToText(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    if (value == 0) {
        return "0";  // also for -0
    }
    const double magnitude = std::fabs(value);
    if (magnitude >= kExponentBelow && magnitude < kExponentAbove) {
        return QByteArray::number(value, 'f', QLocale::FloatingPointShortest);
    }
    QByteArray text = QByteArray::number(value, 'e', QLocale::FloatingPointShortest);
    const int exponentAt = text.indexOf('e') + 2;  // after the sign
    while (exponentAt < text.size() - 1 && text[exponentAt] == '0') {
        text.remove(exponentAt, 1);
    }
    return text;
}

// Script's ToNumber for a string: surrounding white space ignored, empty means 0, decimal or
// hexadecimal literals and "Infinity"; anything else is NaN.
double textToNumber(const QByteArray& utf8) {
    const QByteArray text = utf8.trimmed();
    if (text.isEmpty()) {
        return 0;
    }
    if (text.startsWith("0x") || text.startsWith("0X")) {
        bool ok = false;
        const qulonglong value = text.mid(2).toULongLong(&ok, 16);
        return ok ? static_cast<double>(value) : std::numeric_limits<double>::quiet_NaN();
    }
    const QByteArray unsignedPart = (text[0] == '+' || text[0] == '-') ? text.mid(1) : text;
    if (unsignedPart == "Infinity") {
        return text[0] == '-' ? -std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::infinity();
    }
    if (unsignedPart.isEmpty() ||
        !(std::isdigit(static_cast<unsigned char>(unsignedPart[0])) || unsignedPart[0] == '.')) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : std::numeric_limits<double>::quiet_NaN();
}

// Script's ToInt32: truncation toward zero, then wrap-around modulo 2^32.
int toInt32(double value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    constexpr double kTwoTo32 = 4294967296.0;
    double wrapped = std::fmod(std::trunc(value), kTwoTo32);
    if (wrapped < 0) {
        wrapped += kTwoTo32;
    }
    return static_cast<int>(static_cast<quint32>(wrapped));
}

}  // namespace

JsValue JsValue::null() {
    JsValue value;
    value.m_type = Type::Null;
    return value;
}

JsValue JsValue::boolean(bool flag) {
    JsValue value;
    value.m_type = Type::Boolean;
    value.m_bool = flag;
    return value;
}

JsValue JsValue::number(double number) {
    JsValue value;
    value.m_type = Type::Number;
    value.m_number = number;
    return value;
}

JsValue JsValue::string(const QByteArray& utf8) {
    JsValue value;
    value.m_type = Type::String;
    value.m_string = utf8;
    return value;
}

JsValue JsValue::emptyArray() {
    JsValue value;
    value.m_type = Type::Array;
    return value;
}

JsValue JsValue::emptyObject() {
    JsValue value;
    value.m_type = Type::Object;
    return value;
}

JsValue JsValue::arrayOf(const QList<JsValue>& items) {
    JsValue array = emptyArray();
    for (const JsValue& item : items) {
        array.append(item);
    }
    return array;
}

JsValue JsValue::objectOf(const QList<QPair<QByteArray, JsValue>>& members) {
    JsValue object = emptyObject();
    for (const auto& member : members) {
        object.set(member.first, member.second);
    }
    return object;
}

double JsValue::toNumber() const {
    switch (m_type) {
        case Type::Undefined:
        case Type::Object:
            return std::numeric_limits<double>::quiet_NaN();
        case Type::Null:
            return 0;
        case Type::Boolean:
            return m_bool ? 1 : 0;
        case Type::Number:
            return m_number;
        case Type::String:
            return textToNumber(m_string);
        case Type::Array:
            return textToNumber(toUtf8());  // an array converts through its joined text
    }
    return 0;
}

int JsValue::toInt() const {
    return toInt32(toNumber());
}

bool JsValue::toBoolean() const {
    switch (m_type) {
        case Type::Undefined:
        case Type::Null:
            return false;
        case Type::Boolean:
            return m_bool;
        case Type::Number:
            return m_number != 0 && !std::isnan(m_number);
        case Type::String:
            return !m_string.isEmpty();
        case Type::Array:
        case Type::Object:
            return true;
    }
    return false;
}

// Undefined and null read as empty text (an absent or mistyped text argument); the other
// types convert as script's String() does.
QByteArray JsValue::toUtf8() const {
    switch (m_type) {
        case Type::Undefined:
        case Type::Null:
            return QByteArray();
        case Type::Boolean:
            return m_bool ? "true" : "false";
        case Type::Number:
            return numberToText(m_number);
        case Type::String:
            return m_string;
        case Type::Array: {
            QByteArrayList parts;
            for (const JsValue& item : m_items) {
                parts.append(item.toUtf8());
            }
            return parts.join(',');
        }
        case Type::Object:
            return "[object Object]";
    }
    return QByteArray();
}

JsValue JsValue::at(int index) const {
    return index >= 0 && index < m_items.size() ? m_items[index] : JsValue();
}

// Setting past the end fills the gap with undefined, as a sparse script array reads.
void JsValue::setAt(int index, const JsValue& value) {
    if (index < 0) {
        return;
    }
    m_type = Type::Array;
    while (m_items.size() <= index) {
        m_items.append(JsValue());
    }
    m_items[index] = value;
}

int JsValue::memberPosition(const QByteArray& name) const {
    if (!m_memberIndex.isEmpty()) {
        return m_memberIndex.value(name, -1);
    }
    for (int i = 0; i < m_members.size(); ++i) {
        if (m_members[i].first == name) {
            return i;
        }
    }
    return -1;
}

JsValue JsValue::get(const QByteArray& name) const {
    const int position = memberPosition(name);
    return position < 0 ? JsValue() : m_members[position].second;
}

void JsValue::set(const QByteArray& name, const JsValue& value) {
    m_type = Type::Object;
    const int position = memberPosition(name);
    if (position >= 0) {
        m_members[position].second = value;
        return;
    }
    m_members.append(qMakePair(name, value));
    if (!m_memberIndex.isEmpty()) {
        m_memberIndex.insert(name, m_members.size() - 1);
    } else if (m_members.size() > kMembersSearchedInOrder) {
        for (int i = 0; i < m_members.size(); ++i) {
            m_memberIndex.insert(m_members[i].first, i);
        }
    }
}

QList<QByteArray> JsValue::keys() const {
    QList<QByteArray> names;
    for (const auto& member : m_members) {
        names.append(member.first);
    }
    return names;
}

QByteArray JsValue::toWire() const {
    return wire::write(*this);
}

JsValue JsValue::fromWire(const QByteArray& wire) {
    return wire::read(wire);
}

bool JsValue::operator==(const JsValue& other) const {
    if (m_type != other.m_type) {
        return false;
    }
    switch (m_type) {
        case Type::Undefined:
        case Type::Null:
            return true;
        case Type::Boolean:
            return m_bool == other.m_bool;
        case Type::Number:
            return m_number == other.m_number;
        case Type::String:
            return m_string == other.m_string;
        case Type::Array:
            return m_items == other.m_items;
        case Type::Object:
            return m_members == other.m_members;
    }
    return false;
}

}  // namespace webhost
