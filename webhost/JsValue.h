#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace webhost {

// A value crossing between the page and native code: what a native function receives as an
// argument or returns, and what page calls take and answer. Objects keep their members in the
// order they were set, as the page builds them member by member.
class JsValue {
public:
    enum class Type { Undefined, Null, Boolean, Number, String, Array, Object };

    JsValue() = default;  // undefined
    static JsValue undefined() { return JsValue(); }
    static JsValue null();
    static JsValue boolean(bool value);
    static JsValue number(double value);
    static JsValue integer(qint64 value) { return number(static_cast<double>(value)); }
    static JsValue string(const QByteArray& utf8);
    static JsValue string(const QString& text) { return string(text.toUtf8()); }
    static JsValue emptyArray();
    static JsValue emptyObject();
    static JsValue arrayOf(const QList<JsValue>& items);
    static JsValue objectOf(const QList<QPair<QByteArray, JsValue>>& members);

    Type type() const { return m_type; }
    bool isUndefined() const { return m_type == Type::Undefined; }
    bool isArray() const { return m_type == Type::Array; }
    bool isBoolean() const { return m_type == Type::Boolean; }

    // The engine's conversions: they never fail; a value of another type converts as script's
    // ToInt32 / ToBoolean / ToString would, and undefined gives 0, false and "".
    int toInt() const;
    bool toBoolean() const;
    QByteArray toUtf8() const;
    QString toText() const { return QString::fromUtf8(toUtf8()); }
    double toNumber() const;

    // Arrays.
    int length() const { return m_items.size(); }
    JsValue at(int index) const;
    void setAt(int index, const JsValue& value);
    void append(const JsValue& value) { setAt(length(), value); }

    // Objects: get answers undefined for a missing member.
    JsValue get(const QByteArray& name) const;
    void set(const QByteArray& name, const JsValue& value);
    QList<QByteArray> keys() const;
    // The members in order, name and value.
    const QList<QPair<QByteArray, JsValue>>& members() const { return m_members; }

    // Serialization used by the bridge: JSON with a marker object for undefined.
    QByteArray toWire() const;
    static JsValue fromWire(const QByteArray& wire);

    bool operator==(const JsValue& other) const;
    bool operator!=(const JsValue& other) const { return !(*this == other); }

private:
    Type m_type = Type::Undefined;
    bool m_bool = false;
    double m_number = 0;
    QByteArray m_string;
    QList<JsValue> m_items;                       // arrays
    QList<QPair<QByteArray, JsValue>> m_members;  // objects, in insertion order
    // Position of each member by name, kept once an object has grown beyond a few members, so
    // that building or reading an object of n members takes time linear in n.
    QHash<QByteArray, int> m_memberIndex;

    int memberPosition(const QByteArray& name) const;
};

// The arguments of one call from the page, read by position. A position the page did not pass
// reads as undefined, so intArg/boolArg/textArg give 0, false and "" there.
class JsCall {
public:
    explicit JsCall(QList<JsValue> args) : m_args(std::move(args)) {}

    int argCount() const { return m_args.size(); }
    JsValue arg(int index) const {
        return index >= 0 && index < m_args.size() ? m_args[index] : JsValue();
    }
    int intArg(int index) const { return arg(index).toInt(); }
    bool boolArg(int index) const { return arg(index).toBoolean(); }
    QByteArray utf8Arg(int index) const { return arg(index).toUtf8(); }
    QString textArg(int index) const { return arg(index).toText(); }

private:
    QList<JsValue> m_args;
};

}  // namespace webhost

Q_DECLARE_METATYPE(webhost::JsValue)
