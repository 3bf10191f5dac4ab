#include "WireFormat.h"

#include <QLocale>
#include <cmath>

#include "../JsValue.h"

namespace webhost::wire {

// QJsonObject keeps its members sorted by name, but objects must keep the order in which the
// page or the native side built them; so the wire text is read and written here, directly.

namespace {

// Deeper nesting than this is refused rather than risking the stack on hostile text.
constexpr int kMaxDepth = 256;
// Whole numbers up to 2^53 are written without a fraction; beyond, precision is gone anyway.
constexpr double kExactIntegerLimit = 9007199254740992.0;
constexpr uint kReplacementCharacter = 0xFFFD;

// The escapes JSON.stringify writes with a letter; other control characters become \u00XX.
char shortEscape(char c) {
    switch (c) {
        case '"':
            return '"';
        case '\\':
            return '\\';
        case '\b':
            return 'b';
        case '\f':
            return 'f';
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\t':
            return 't';
        default:
            return 0;
    }
}

void writeString(const QByteArray& utf8, QByteArray& out) {
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        const char shortForm = shortEscape(c);
        if (shortForm) {
            out += '\\';
            out += shortForm;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            out += c;
        }
    }
    out += '"';
}

void writeNumber(double number, QByteArray& out) {
    if (!std::isfinite(number)) {
        out += "null";  // JSON cannot carry NaN or Infinity
    } else if (number == std::trunc(number) && std::fabs(number) <= kExactIntegerLimit) {
        out += QByteArray::number(static_cast<qint64>(number));
    } else {
        out += QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
    }
}

void writeValue(const JsValue& value, QByteArray& out) {
    switch (value.type()) {
        case JsValue::Type::Undefined:
            out += "{\"";
            out += kUndefinedMarkerKey;
            out += "\":1}";
            break;
        case JsValue::Type::Null:
            out += "null";
            break;
        case JsValue::Type::Boolean:
            out += value.toBoolean() ? "true" : "false";
            break;
        case JsValue::Type::Number:
            writeNumber(value.toNumber(), out);
            break;
        case JsValue::Type::String:
            writeString(value.toUtf8(), out);
            break;
        case JsValue::Type::Array:
            out += '[';
            for (int i = 0; i < value.length(); ++i) {
                out += i ? "," : "";
                writeValue(value.at(i), out);
            }
            out += ']';
            break;
        case JsValue::Type::Object: {
            out += '{';
            bool first = true;
            for (const auto& member : value.members()) {
                out += first ? "" : ",";
                first = false;
                writeString(member.first, out);
                out += ':';
                writeValue(member.second, out);
            }
            out += '}';
            break;
        }
    }
}

// A recursive-descent reader of one JSON text; any syntax error makes the whole text invalid.
class Reader {
public:
    explicit Reader(const QByteArray& text) : m_text(text) {}

    bool readDocument(JsValue& value) {
        if (!readValue(value, 0)) {
            return false;
        }
        skipSpace();
        return m_pos == m_text.size();
    }

private:
    void skipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }

    bool consume(char expected) {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == expected) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool consumeWord(const char* word) {
        const QByteArray expected(word);
        if (m_text.mid(m_pos, expected.size()) != expected) {
            return false;
        }
        m_pos += expected.size();
        return true;
    }

    bool readValue(JsValue& value, int depth) {
        if (depth > kMaxDepth) {
            return false;
        }
        skipSpace();
        if (m_pos >= m_text.size()) {
            return false;
        }
        switch (m_text[m_pos]) {
            case '{':
                return readObject(value, depth);
            case '[':
                return readArray(value, depth);
            case '"': {
                QByteArray text;
                if (!readString(text)) {
                    return false;
                }
                value = JsValue::string(text);
                return true;
            }
            case 't':
                value = JsValue::boolean(true);
                return consumeWord("true");
            case 'f':
                value = JsValue::boolean(false);
                return consumeWord("false");
            case 'n':
                value = JsValue::null();
                return consumeWord("null");
            default:
                return readNumber(value);
        }
    }

    bool readNumber(JsValue& value) {
        const int start = m_pos;
        while (m_pos < m_text.size() && QByteArray("+-0123456789.eE").contains(m_text[m_pos])) {
            ++m_pos;
        }
        bool ok = false;
        const double number = m_text.mid(start, m_pos - start).toDouble(&ok);
        value = JsValue::number(number);
        return ok && m_pos > start;
    }

    bool readHex4(uint& code) {
        bool ok = false;
        code = m_text.mid(m_pos, 4).toUInt(&ok, 16);
        m_pos += 4;
        return ok && m_pos <= m_text.size();
    }

    // \uXXXX escapes, surrogate pairs included, become UTF-8. A surrogate without its other
    // half (the page's JSON.stringify writes such a lone one as an escape) has no UTF-8 form
    // and becomes U+FFFD, the replacement character; what follows it is read as usual.
    bool readUnicodeEscape(QByteArray& out) {
        uint code = 0;
        if (!readHex4(code)) {
            return false;
        }
        if (isHighSurrogate(code)) {
            const int afterHigh = m_pos;
            uint low = 0;
            if (consumeWord("\\u") && readHex4(low) && isLowSurrogate(low)) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            } else {
                m_pos = afterHigh;
                code = kReplacementCharacter;
            }
        } else if (isLowSurrogate(code)) {
            code = kReplacementCharacter;
        }
        const char32_t character = code;
        out += QString::fromUcs4(&character, 1).toUtf8();
        return true;
    }

    static bool isHighSurrogate(uint code) { return code >= 0xD800 && code < 0xDC00; }
    static bool isLowSurrogate(uint code) { return code >= 0xDC00 && code < 0xE000; }

    bool readEscape(QByteArray& out) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        const char c = m_text[m_pos++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return true;
            case 'b':
                out += '\b';
                return true;
            case 'f':
                out += '\f';
                return true;
            case 'n':
                out += '\n';
                return true;
            case 'r':
                out += '\r';
                return true;
            case 't':
                out += '\t';
                return true;
            case 'u':
                return readUnicodeEscape(out);
            default:
                return false;
        }
    }

    bool readString(QByteArray& out) {
        if (!consume('"')) {
            return false;
        }
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') {
                return true;
            }
            if (c == '\\') {
                if (!readEscape(out)) {
                    return false;
                }
            } else {
                out += c;
            }
        }
        return false;
    }

    bool readArray(JsValue& value, int depth) {
        consume('[');
        value = JsValue::emptyArray();
        if (consume(']')) {
            return true;
        }
        do {
            JsValue item;
            if (!readValue(item, depth + 1)) {
                return false;
            }
            value.append(item);
        } while (consume(','));
        return consume(']');
    }

    bool readObject(JsValue& value, int depth) {
        consume('{');
        value = JsValue::emptyObject();
        if (consume('}')) {
            return true;
        }
        do {
            QByteArray key;
            JsValue member;
            skipSpace();
            if (!readString(key) || !consume(':') || !readValue(member, depth + 1)) {
                return false;
            }
            value.set(key, member);
        } while (consume(','));
        if (!consume('}')) {
            return false;
        }
        if (value.members().size() == 1 && value.members().first().first == kUndefinedMarkerKey) {
            value = JsValue::undefined();
        }
        return true;
    }

    const QByteArray& m_text;
    int m_pos = 0;
};

}  // namespace

QByteArray write(const JsValue& value) {
    QByteArray out;
    writeValue(value, out);
    return out;
}

JsValue read(const QByteArray& text) {
    JsValue value;
    Reader reader(text);
    return reader.readDocument(value) ? value : JsValue::undefined();
}

}  // namespace webhost::wire
