#include "FrameGeometryTest.h"

#include "TestMain.h"

#include <QTextCodec>
#include <QtTest>

#include "webhost/FrameGeometry.h"
#include "webhost/FrameworkFunctions.h"
#include "webhost/Navigation.h"

using webhost::WinRect;

Q_DECLARE_METATYPE(webhost::WinRect)

void FrameGeometryTest::dragArea_data() {
    QTest::addColumn<WinRect>("area");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("inside");
    const WinRect anyX{-1, 0, -1, 60};
    const WinRect box{10, 20, 110, 50};
    QTest::newRow("any x, inside y") << anyX << QPoint(5000, 30) << true;
    QTest::newRow("any x, y on the top edge") << anyX << QPoint(5, 0) << false;
    QTest::newRow("any x, y on the bottom edge") << anyX << QPoint(5, 60) << false;
    QTest::newRow("any y") << WinRect{10, -1, 20, 0} << QPoint(15, 999) << true;
    QTest::newRow("box interior") << box << QPoint(11, 21) << true;
    QTest::newRow("box left edge") << box << QPoint(10, 30) << false;
    QTest::newRow("box right edge") << box << QPoint(110, 30) << false;
    QTest::newRow("box top edge") << box << QPoint(50, 20) << false;
    QTest::newRow("box below") << box << QPoint(50, 51) << false;
}

void FrameGeometryTest::dragArea() {
    QFETCH(WinRect, area);
    QFETCH(QPoint, pos);
    QFETCH(bool, inside);
    QCOMPARE(webhost::dragAreaContains(area, pos), inside);
}

// The page gives (x, y, width, height); a point inside that rectangle must drag wherever the
// rectangle lies, not only at the origin.
void FrameGeometryTest::dragAreaFromPageHoldsForAnyOrigin() {
    const WinRect area = webhost::dragAreaFromPage(200, 100, 50, 30);
    QCOMPARE(area, (WinRect{200, 100, 250, 130}));
    QVERIFY(webhost::dragAreaContains(area, QPoint(225, 115)));
    QVERIFY(!webhost::dragAreaContains(area, QPoint(25, 15)));
}

void FrameGeometryTest::hitTest_data() {
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("resize");
    QTest::addColumn<bool>("drag");
    QTest::addColumn<int>("expected");
    using namespace webhost;
    QTest::newRow("interior, drag") << QPoint(200, 150) << true << true << int(kHtCaption);
    QTest::newRow("interior, no drag") << QPoint(200, 150) << true << false << int(kHtClient);
    QTest::newRow("left edge") << QPoint(2, 150) << true << true << int(kHtLeft);
    QTest::newRow("right edge") << QPoint(395, 150) << true << true << int(kHtRight);
    QTest::newRow("top edge") << QPoint(200, 7) << true << true << int(kHtTop);
    QTest::newRow("just inside the frame") << QPoint(200, 8) << true << false << int(kHtClient);
    QTest::newRow("bottom edge") << QPoint(200, 299) << true << true << int(kHtBottom);
    QTest::newRow("top left") << QPoint(0, 0) << true << true << int(kHtTopLeft);
    QTest::newRow("top right") << QPoint(399, 3) << true << true << int(kHtTopRight);
    QTest::newRow("bottom left") << QPoint(3, 296) << true << true << int(kHtBottomLeft);
    QTest::newRow("bottom right") << QPoint(399, 299) << true << true << int(kHtBottomRight);
    QTest::newRow("edge without resize, drag")
        << QPoint(2, 150) << false << true << int(kHtCaption);
    QTest::newRow("edge without resize or drag")
        << QPoint(0, 0) << false << false << int(kHtClient);
}

void FrameGeometryTest::hitTest() {
    QFETCH(QPoint, pos);
    QFETCH(bool, resize);
    QFETCH(bool, drag);
    QFETCH(int, expected);
    QCOMPARE(
        webhost::borderlessHitTest(QSize(400, 300), pos, webhost::kFrameThickness, resize, drag),
        expected);
}

void FrameGeometryTest::createWindowUrlLimit_data() {
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<int>("expectedBytes");
    const QByteArray prefix = "http://h/";
    const QByteArray han = QString::fromUtf8("中").toUtf8();   // 3 bytes
    const QByteArray emoji = QString::fromUtf8("😀").toUtf8();  // 4 bytes
    QTest::newRow("short URL unchanged") << prefix + "a.html" << 15;
    QTest::newRow("exactly 1024 bytes") << QByteArray(1024, 'a') << 1024;
    QTest::newRow("ASCII cut at 1024") << QByteArray(5000, 'a') << 1024;
    // 1022 ASCII bytes, then a 3-byte character that would end at 1025: it goes whole.
    QTest::newRow("3-byte character across the limit")
        << QByteArray(1022, 'a') + han + "zz" << 1022;
    QTest::newRow("4-byte character across the limit")
        << QByteArray(1021, 'a') + emoji + emoji << 1021;
    QTest::newRow("character ending at the limit") << QByteArray(1021, 'a') + han + han << 1024;
    QByteArray chinese;
    for (int i = 0; i < 400; ++i) {
        chinese += han;
    }
    QTest::newRow("all 3-byte characters") << chinese << 1023;
}

void FrameGeometryTest::createWindowUrlLimit() {
    QFETCH(QByteArray, url);
    QFETCH(int, expectedBytes);
    const QByteArray limited = webhost::limitCreateWindowUrl(url);
    QCOMPARE(limited.size(), expectedBytes);
    QVERIFY(url.startsWith(limited));
    QTextCodec::ConverterState state;
    QTextCodec::codecForName("UTF-8")->toUnicode(limited.constData(), limited.size(), &state);
    QCOMPARE(state.invalidChars, 0);
    QCOMPARE(state.remainingChars, 0);
}

void FrameGeometryTest::navigation_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("argument");
    using Kind = webhost::NavigationDecision::Kind;
    QTest::newRow("exec keeps the rest as it is")
        << "exec://notepad.exe%20a.txt" << int(Kind::Exec) << "notepad.exe%20a.txt";
    QTest::newRow("file is unescaped and loses file:///")
        << "file:///C:/My%20Files/%E6%89%93.pdf" << int(Kind::AcceptFile)
        << QString::fromUtf8("C:/My Files/打.pdf");
#ifndef Q_OS_WIN
    QTest::newRow("file of this machine stays absolute")
        << "file:///tmp/a%20b.txt" << int(Kind::AcceptFile) << "/tmp/a b.txt";
    QTest::newRow("lower-case drive loses file:///")
        << "file:///d:/x.txt" << int(Kind::AcceptFile) << "d:/x.txt";
#endif
    QTest::newRow("file with a host keeps it")
        << "file://server/share/a%20b.txt" << int(Kind::AcceptFile)
        << "file://server/share/a b.txt";
    QTest::newRow("http goes on") << "http://ui.test/index.html" << int(Kind::Allow) << "";
}

void FrameGeometryTest::navigation() {
    QFETCH(QString, url);
    QFETCH(int, kind);
    QFETCH(QString, argument);
    const webhost::NavigationDecision decision = webhost::classifyNavigation(url);
    QCOMPARE(int(decision.kind), kind);
    QCOMPARE(decision.argument, argument);
}

namespace {
const bool registered = registerTest<FrameGeometryTest>("FrameGeometryTest");
}  // namespace
