#include "ArgumentMaker.h"

#include <limits>

using webhost::JsValue;

namespace {

constexpr int kMaxArguments = 7;
constexpr int kMaxDepth = 4;
constexpr int kDeepNesting = 200;
constexpr int kLargeMembers = 5000;
constexpr int kHugeTextBytes = 1 << 20;

// Texts that have tripped parsers and converters elsewhere.
const QList<QByteArray> kOddTexts = {
    QByteArray(),
    QByteArray("0"),
    QByteArray("-1"),
    QByteArray("0x7fffffff"),
    QByteArray("1e309"),
    QByteArray("NaN"),
    QByteArray(" 12abc"),
    QByteArray("\xEF\xBF\xBD"),              // what a lone surrogate becomes on its way here
    QByteArray("\xED\xA0\x80"),              // a lone surrogate encoded as if it were a character
    QByteArray("\xC0\x80", 2),               // overlong NUL
    QByteArray("a\0b", 3),                   // embedded NUL
    QByteArray("\xFF\xFE\xFD"),              // no UTF-8 at all
    QByteArray("\xE9\xA9\xB1\xE5\x8A\xA8"),  // CJK
    QByteArray("\xF0\x9F\x98\x80"),          // outside the BMP
    QByteArray("C:\\Windows\\System32\\spool\\PRINTERS"),
    QByteArray("C:\\..\\..\\..\\etc"),
    QByteArray("\\\\?\\C:\\x"),
    QByteArray("file:///tmp/x"),
    QByteArray("exec://x"),
    QByteArray("javascript:1"),
    QByteArray("%s%s%n%x"),
    QByteArray("\"'<>&;|`$()"),
    QByteArray("Office Laser"),
    QByteArray("Microsoft Print to PDF"),
    QByteArray("\\\\FILESERVER\\Accounting"),
};

}  // namespace

QList<JsValue> ArgumentMaker::anyArguments() {
    QList<JsValue> args;
    const int count = below(kMaxArguments + 1);
    for (int i = 0; i < count; ++i) {
        args.append(anyValue());
    }
    return args;
}

JsValue ArgumentMaker::anyNumber() {
    static const QList<double> kNumbers = {0,
                                           -0.0,
                                           1,
                                           -1,
                                           2,
                                           3,
                                           5,
                                           0.5,
                                           -2147483648.0,
                                           2147483647.0,
                                           4294967295.0,
                                           4294967296.0,
                                           9007199254740993.0,
                                           -1e308,
                                           1e308,
                                           std::numeric_limits<double>::denorm_min(),
                                           std::numeric_limits<double>::quiet_NaN(),
                                           std::numeric_limits<double>::infinity(),
                                           -std::numeric_limits<double>::infinity()};
    if (oneIn(3)) {
        return JsValue::number(std::uniform_int_distribution<int>(-100000, 100000)(m_random));
    }
    return JsValue::number(pick(kNumbers));
}

QByteArray ArgumentMaker::anyText() {
    switch (below(6)) {
        case 0:
            return pick(kOddTexts);
        case 1:
            return oneIn(20) ? QByteArray(kHugeTextBytes, 'x') : QByteArray(below(300), 'a');
        case 2: {
            QByteArray bytes;
            const int size = below(64);
            for (int i = 0; i < size; ++i) {
                bytes += static_cast<char>(below(256));
            }
            return bytes;
        }
        case 3:
            return pick(kOddTexts) + pick(kOddTexts);
        default:
            return QByteArray::number(below(1000)) + pick(kOddTexts);
    }
}

JsValue ArgumentMaker::handle() {
    const QList<qint64> live = m_handles ? m_handles() : QList<qint64>();
    if (!live.isEmpty() && !oneIn(4)) {
        return JsValue::integer(pick(live));
    }
    return anyNumber();
}

JsValue ArgumentMaker::deepNesting() {
    JsValue value = JsValue::integer(1);
    for (int i = 0; i < kDeepNesting; ++i) {
        value = oneIn(2) ? JsValue::arrayOf({value}) : JsValue::objectOf({{"a", value}});
    }
    return value;
}

JsValue ArgumentMaker::largeObject() {
    JsValue object = JsValue::emptyObject();
    for (int i = 0; i < kLargeMembers; ++i) {
        object.set("k" + QByteArray::number(i), JsValue::integer(i));
    }
    return object;
}

JsValue ArgumentMaker::largeArray() {
    JsValue array = JsValue::emptyArray();
    for (int i = 0; i < kLargeMembers; ++i) {
        array.append(JsValue::string(QByteArray::number(i)));
    }
    return array;
}

JsValue ArgumentMaker::anyValue(int depth) {
    switch (below(12)) {
        case 0:
            return JsValue();
        case 1:
            return JsValue::null();
        case 2:
            return JsValue::boolean(oneIn(2));
        case 3:
        case 4:
            return anyNumber();
        case 5:
        case 6:
            return JsValue::string(anyText());
        case 7:
            return handle();
        case 8: {
            if (depth >= kMaxDepth) {
                return JsValue::emptyArray();
            }
            if (oneIn(30)) {
                return oneIn(2) ? deepNesting() : largeArray();
            }
            JsValue array = JsValue::emptyArray();
            const int size = below(5);
            for (int i = 0; i < size; ++i) {
                array.append(anyValue(depth + 1));
            }
            return array;
        }
        default: {
            if (depth >= kMaxDepth) {
                return JsValue::emptyObject();
            }
            if (oneIn(30)) {
                return largeObject();
            }
            // Objects with the member names the functions read, and others.
            static const QList<QByteArray> kNames = {"hParent",
                                                     "createAsModal",
                                                     "url",
                                                     "left",
                                                     "top",
                                                     "right",
                                                     "bottom",
                                                     "LBTN_DBCLK",
                                                     "RBTN_CLK",
                                                     "menu",
                                                     "id",
                                                     "function",
                                                     "text",
                                                     "closeAsQuit",
                                                     "showMinbox",
                                                     "showMaxbox",
                                                     "editHeight",
                                                     "",
                                                     "__corvanta_undefined"};
            JsValue object = JsValue::emptyObject();
            const int size = below(6);
            for (int i = 0; i < size; ++i) {
                object.set(oneIn(4) ? anyText().left(40) : pick(kNames), anyValue(depth + 1));
            }
            return object;
        }
    }
}
