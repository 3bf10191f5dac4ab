#include "JsValueTest.h"

#include "TestMain.h"

#include <QTest>
#include <limits>

#include "JsValue.h"

using webhost::JsCall;
using webhost::JsValue;

namespace {}  // namespace

void JsValueTest::conversions_data() {
    QTest::addColumn<JsValue>("value");
    QTest::addColumn<int>("asInt");
    QTest::addColumn<bool>("asBoolean");
    QTest::addColumn<QByteArray>("asText");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("undefined") << JsValue() << 0 << false << QByteArray();
    QTest::newRow("null") << JsValue::null() << 0 << false << QByteArray();
    QTest::newRow("true") << JsValue::boolean(true) << 1 << true << QByteArray("true");
    QTest::newRow("false") << JsValue::boolean(false) << 0 << false << QByteArray("false");
    QTest::newRow("integer") << JsValue::integer(42) << 42 << true << QByteArray("42");
    QTest::newRow("zero") << JsValue::number(0) << 0 << false << QByteArray("0");
    QTest::newRow("fraction truncated") << JsValue::number(3.9) << 3 << true << QByteArray("3.9");
    QTest::newRow("negative fraction") << JsValue::number(-3.9) << -3 << true << QByteArray("-3.9");
    QTest::newRow("wraps past 2^32")
        << JsValue::number(4294967297.0) << 1 << true << QByteArray("4294967297");
    QTest::newRow("wraps to negative")
        << JsValue::number(2147483648.0) << -2147483647 - 1 << true << QByteArray("2147483648");
    QTest::newRow("huge") << JsValue::number(1e21) << -559939584 << true << QByteArray("1e+21");
    QTest::newRow("tiny") << JsValue::number(1.5e-7) << 0 << true << QByteArray("1.5e-7");
    QTest::newRow("NaN") << JsValue::number(nan) << 0 << false << QByteArray("NaN");
    QTest::newRow("digits") << JsValue::string(QByteArray("123")) << 123 << true
                            << QByteArray("123");
    QTest::newRow("digits with spaces")
        << JsValue::string(QByteArray(" 12 ")) << 12 << true << QByteArray(" 12 ");
    QTest::newRow("decimal text") << JsValue::string(QByteArray("3.7")) << 3 << true
                                  << QByteArray("3.7");
    QTest::newRow("hex text") << JsValue::string(QByteArray("0x1A")) << 26 << true
                              << QByteArray("0x1A");
    QTest::newRow("digits then letters")
        << JsValue::string(QByteArray("12abc")) << 0 << true << QByteArray("12abc");
    QTest::newRow("empty text") << JsValue::string(QByteArray()) << 0 << false << QByteArray();
    QTest::newRow("text zero") << JsValue::string(QByteArray("0")) << 0 << true << QByteArray("0");
    QTest::newRow("non-ASCII text")
        << JsValue::string(QStringLiteral("提示")) << 0 << true << QStringLiteral("提示").toUtf8();
    QTest::newRow("empty array") << JsValue::emptyArray() << 0 << true << QByteArray();
    QTest::newRow("one-number array")
        << JsValue::arrayOf({JsValue::integer(7)}) << 7 << true << QByteArray("7");
    QTest::newRow("array") << JsValue::arrayOf({JsValue::integer(1), JsValue(), JsValue::null(),
                                                JsValue::boolean(true)})
                           << 0 << true << QByteArray("1,,,true");
    QTest::newRow("object") << JsValue::objectOf({{"a", JsValue::integer(1)}}) << 0 << true
                            << QByteArray("[object Object]");
}

void JsValueTest::conversions() {
    QFETCH(JsValue, value);
    QFETCH(int, asInt);
    QFETCH(bool, asBoolean);
    QFETCH(QByteArray, asText);
    QCOMPARE(value.toInt(), asInt);
    QCOMPARE(value.toBoolean(), asBoolean);
    QCOMPARE(value.toUtf8(), asText);
}

void JsValueTest::wireRoundTrip_data() {
    QTest::addColumn<JsValue>("value");
    QTest::addColumn<QByteArray>("wire");

    const QByteArray undefinedMark = R"({"__corvanta_undefined":1})";
    QTest::newRow("undefined") << JsValue() << undefinedMark;
    QTest::newRow("null") << JsValue::null() << QByteArray("null");
    QTest::newRow("boolean") << JsValue::boolean(false) << QByteArray("false");
    QTest::newRow("integer") << JsValue::integer(-17) << QByteArray("-17");
    QTest::newRow("fraction") << JsValue::number(0.1) << QByteArray("0.1");
    QTest::newRow("escaped text") << JsValue::string(QStringLiteral("a\"b\\c\n提示\x01"))
                                  << QStringLiteral("\"a\\\"b\\\\c\\n提示\\u0001\"").toUtf8();
    QTest::newRow("undefined in array")
        << JsValue::arrayOf({JsValue::integer(1), JsValue(), JsValue::string(QByteArray("x"))})
        << "[1," + undefinedMark + ",\"x\"]";
    QTest::newRow("undefined nested in object")
        << JsValue::objectOf(
               {{"z", JsValue()}, {"a", JsValue::arrayOf({JsValue(), JsValue::null()})}})
        << R"({"z":)" + undefinedMark + R"(,"a":[)" + undefinedMark + ",null]}";
    QTest::newRow("empty containers")
        << JsValue::arrayOf({JsValue::emptyArray(), JsValue::emptyObject()})
        << QByteArray("[[],{}]");
}

void JsValueTest::wireRoundTrip() {
    QFETCH(JsValue, value);
    QFETCH(QByteArray, wire);
    QCOMPARE(value.toWire(), wire);
    QVERIFY(JsValue::fromWire(wire) == value);
}

// Texts as the page's JSON.stringify writes them, and broken texts, which read as undefined.
void JsValueTest::pageWireText_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<JsValue>("value");

    QTest::newRow("unicode escapes")
        << QByteArray(R"(["\u63d0\u793a","\ud83d\ude00"])")
        << JsValue::arrayOf({JsValue::string(QStringLiteral("提示")),
                             JsValue::string(QString::fromUtf8("\xF0\x9F\x98\x80"))});
    QTest::newRow("white space and exponent")
        << QByteArray(" { \"a\" : [ 1e3 , -2.5 ] } ")
        << JsValue::objectOf(
               {{"a", JsValue::arrayOf({JsValue::integer(1000), JsValue::number(-2.5)})}});
    QTest::newRow("marker with other members is an object")
        << QByteArray(R"({"__corvanta_undefined":1,"b":2})")
        << JsValue::objectOf(
               {{"__corvanta_undefined", JsValue::integer(1)}, {"b", JsValue::integer(2)}});
    // JSON.stringify writes a lone surrogate of a page's string as an escape; the other
    // arguments of the call must still arrive.
    const QByteArray replacement("\xEF\xBF\xBD");
    QTest::newRow("lone high surrogate before an escape")
        << QByteArray(R"(["\ud800\u0001",2])")
        << JsValue::arrayOf({JsValue::string(replacement + '\x01'), JsValue::integer(2)});
    QTest::newRow("lone high surrogate before text")
        << QByteArray(R"(["\ud800A"])") << JsValue::arrayOf({JsValue::string(replacement + 'A')});
    QTest::newRow("lone low surrogate")
        << QByteArray(R"(["\udc00"])") << JsValue::arrayOf({JsValue::string(replacement)});
    QTest::newRow("two high surrogates")
        << QByteArray(R"(["\ud800\ud83d\ude00"])")
        << JsValue::arrayOf({JsValue::string(replacement + QByteArray("\xF0\x9F\x98\x80"))});
    QTest::newRow("NUL") << QByteArray(R"(["a\u0000b"])")
                         << JsValue::arrayOf({JsValue::string(QByteArray("a\0b", 3))});
    QTest::newRow("truncated") << QByteArray("[1,") << JsValue();
    QTest::newRow("member without value") << QByteArray(R"({"a"})") << JsValue();
    QTest::newRow("trailing text") << QByteArray("1 2") << JsValue();
    QTest::newRow("deep nesting") << QByteArray(100000, '[') << JsValue();
}

void JsValueTest::pageWireText() {
    QFETCH(QByteArray, wire);
    QFETCH(JsValue, value);
    QVERIFY(JsValue::fromWire(wire) == value);
}

void JsValueTest::objectsKeepInsertionOrder() {
    const JsValue value = JsValue::fromWire(R"({"zeta":1,"alpha":2,"mid":3})");
    QCOMPARE(value.keys(), (QList<QByteArray>{"zeta", "alpha", "mid"}));
    QCOMPARE(value.toWire(), QByteArray(R"({"zeta":1,"alpha":2,"mid":3})"));
}

// One argument of very many members, as a page may pass: every member is read back by name, a
// repeated name keeps its first place and takes the last value (as JSON.parse does), and the
// object is written back in order. Reading it member by member against all earlier members
// would not end within the test's time.
void JsValueTest::largeObjectsKeepEveryMember() {
    constexpr int kMembers = 400000;
    QByteArray wire = "{";
    QByteArray expectedWire = "{";
    for (int i = 0; i < kMembers; ++i) {
        const QByteArray member = "\"k" + QByteArray::number(i) + "\":" + QByteArray::number(i);
        wire += (i ? "," : "") + member;
        expectedWire += (i ? "," : "") + (i == 7 ? QByteArray("\"k7\":-1") : member);
    }
    wire += ",\"k7\":-1}";
    expectedWire += "}";

    const JsValue value = JsValue::fromWire(wire);
    QCOMPARE(value.keys().size(), kMembers);
    QCOMPARE(value.keys().at(7), QByteArray("k7"));
    QCOMPARE(value.get("k7").toInt(), -1);
    for (int i = 0; i < kMembers; i += 997) {
        QCOMPARE(value.get("k" + QByteArray::number(i)).toInt(), i == 7 ? -1 : i);
    }
    QVERIFY(value.get("k400000").isUndefined());
    QCOMPARE(value.toWire(), expectedWire);

    JsValue built = JsValue::emptyObject();
    for (int i = 0; i < kMembers; ++i) {
        built.set("k" + QByteArray::number(i), JsValue::integer(i));
    }
    built.set("k7", JsValue::integer(-1));
    QVERIFY(built == value);
}

void JsValueTest::callReadsAbsentPositionsAsEmpty() {
    const JsCall call({JsValue::integer(5)});
    QCOMPARE(call.argCount(), 1);
    QCOMPARE(call.intArg(0), 5);
    QVERIFY(call.arg(3).isUndefined());
    QCOMPARE(call.intArg(3), 0);
    QCOMPARE(call.boolArg(3), false);
    QCOMPARE(call.utf8Arg(3), QByteArray());
}

namespace {
const bool registered = registerTest<JsValueTest>("JsValueTest");
}  // namespace
