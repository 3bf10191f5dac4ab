#include "ConfigInfTest.h"

#include "TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

#include "webhost/ConfigInf.h"

using webhost::StartupSettings;

namespace {

// A value of the settings by name, as text, so that one table covers every key.
QString field(const StartupSettings& s, const QString& name) {
    const auto rect = [](const webhost::WinRect& r) {
        return QStringLiteral("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
    };
    const QHash<QString, QString> fields{
        {"singleApp", QString::number(s.singleApp)},
        {"windowRect", rect(s.window.windowRect)},
        {"captionRect", rect(s.window.captionRect)},
        {"minSize", QStringLiteral("%1x%2").arg(s.window.minWidth).arg(s.window.minHeight)},
        {"center", QString::number(s.options.centerWindow)},
        {"borderless", QString::number(s.frame.borderless)},
        {"resizeDrag",
         QStringLiteral("%1%2").arg(s.frame.borderlessResize).arg(s.frame.borderlessDrag)},
        {"url", s.startUrl},
        {"urlLength", QString::number(s.startUrl.size())},
        {"host", QString::fromUtf8(s.window.host)},
        {"editVisible", QString::number(s.options.editVisible)},
        {"tempStorage", QStringLiteral("%1%2").arg(s.tempLocalStorage).arg(s.tempCookie)},
        {"devTools", QString::number(s.window.devTools)},
        {"windowClass", s.window.windowClass},
        {"caption", s.window.caption},
        {"product", s.product.subkey + "|" + s.product.productName + "|" + s.product.channel},
        {"root", QString::number(static_cast<int>(s.product.hRootKey))},
    };
    return fields.value(name, QStringLiteral("<no such field>"));
}

StartupSettings readText(const QByteArray& text) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config.inf");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.close();
    StartupSettings settings;
    settings.startUrl = "http://default/index.html";
    webhost::readConfigInf(path, settings);
    return settings;
}

}  // namespace

void ConfigInfTest::readsKeys_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    const QByteArray longValue(600, 'u');
    QTest::newRow("caption: 5 tokens, later ones set bottom")
        << QByteArray("[window]\ncaption=0,0,0,40,50\n") << "captionRect"
        << "0,0,0,50";
    QTest::newRow("caption: 3 tokens keep bottom")
        << QByteArray("[window]\ncaption=10,-1,300\n") << "captionRect"
        << "10,-1,300,60";
    QTest::newRow("caption: empty tokens skipped")
        << QByteArray("[window]\ncaption=5,,7\n") << "captionRect"
        << "5,7,-1,60";
    QTest::newRow("borderResize=0 turns off resize and drag")
        << QByteArray("[window]\nborderResize=0\n") << "resizeDrag"
        << "00";
    QTest::newRow("borderResize missing means on") << QByteArray("[window]\n") << "resizeDrag"
                                                   << "11";
    QTest::newRow("no url key gives an empty start URL") << QByteArray("[window]\nx=1\n") << "url"
                                                         << "";
    QTest::newRow("url keeps commas and semicolons")
        << QByteArray("[window]\nurl=http://h/a,b;c\n") << "url"
        << "http://h/a,b;c";
    QTest::newRow("sections and keys without letter case")
        << QByteArray("[WINDOW]\nURL = http://h/x \n") << "url"
        << "http://h/x";
    QTest::newRow("quotes around a value are removed")
        << QByteArray("[window]\nurl=\"http://h/q\"\n") << "url"
        << "http://h/q";
    QTest::newRow("comment lines are skipped") << QByteArray("[window]\n;url=http://h/c\n") << "url"
                                               << "";
    QTest::newRow("600 characters are cut to 519")
        << QByteArray("[window]\nurl=" + longValue + "\n") << "urlLength"
        << "519";
    QTest::newRow("width and height from x and y")
        << QByteArray("[window]\nx=10\ny=20\nwidth=300\nheight=200\n") << "windowRect"
        << "10,20,310,220";
    QTest::newRow("empty width keeps its default")
        << QByteArray("[window]\nwidth=\n") << "windowRect"
        << "0,0,800,600";
    QTest::newRow("integer stops at the first non-digit")
        << QByteArray("[window]\nminwidth=\" 12abc\"\nminheight=7.9\n") << "minSize"
        << "12x7";
    QTest::newRow("singleApp missing in an existing file")
        << QByteArray("[window]\n") << "singleApp"
        << "0";
    QTest::newRow("singleApp=1") << QByteArray("[other]\nsingleApp=1\n") << "singleApp"
                                 << "1";
    QTest::newRow("singleApp=2 is not 1") << QByteArray("[other]\nsingleApp=2\n") << "singleApp"
                                          << "0";
    QTest::newRow("addrBarVisible missing") << QByteArray("[window]\n") << "editVisible"
                                            << "1";
    QTest::newRow("addrBarVisible=0") << QByteArray("[window]\naddrBarVisible=0\n") << "editVisible"
                                      << "0";
    QTest::newRow("temporary storage defaults") << QByteArray("[window]\n") << "tempStorage"
                                                << "01";
    QTest::newRow("center=0") << QByteArray("[window]\ncenter=0\n") << "center"
                              << "0";
    QTest::newRow("host") << QByteArray("[window]\nhost=http://ui.test\n") << "host"
                          << "http://ui.test";
    QTest::newRow("z enables the inspector") << QByteArray("[window]\nz=1\n") << "devTools"
                                             << "1";
    QTest::newRow("missing windowClass is empty") << QByteArray("[window]\n") << "windowClass"
                                                  << "";
    QTest::newRow("friendlyProductName keeps its commas")
        << QByteArray("[product]\nfriendlyProductName=A, B and C\n") << "caption"
        << "A, B and C";
    QTest::newRow("product names")
        << QByteArray("[product]\nsubkey=sk\nproductName=pn\nchannel=beta\n") << "product"
        << "sk|pn|beta";
    QTest::newRow("missing product strings are empty") << QByteArray("[window]\n") << "product"
                                                       << "||";
    QTest::newRow("hRootKey as HKEY_CURRENT_USER's number")
        << QByteArray("[product]\nhRootKey=2147483649\n") << "root"
        << QString::number(static_cast<int>(platform::RegistryRoot::CurrentUser));
    QTest::newRow("UTF-8 values") << QByteArray("[product]\nfriendlyProductName=打印机\n")
                                  << "caption" << QString::fromUtf8("打印机");
}

void ConfigInfTest::readsKeys() {
    QFETCH(QByteArray, file);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    QCOMPARE(::field(readText(file), field), expected);
}

void ConfigInfTest::missingFileKeepsDefaults() {
    QTemporaryDir dir;
    StartupSettings settings;
    settings.startUrl = "http://default/index.html";
    webhost::readConfigInf(dir.filePath("config.inf"), settings);
    const StartupSettings defaults;
    QCOMPARE(settings.startUrl, QString("http://default/index.html"));
    QCOMPARE(settings.singleApp, defaults.singleApp);
    QCOMPARE(settings.window.windowClass, defaults.window.windowClass);
    QCOMPARE(settings.product.productName, QString("printer"));
    QVERIFY(settings.window.captionRect == defaults.window.captionRect);
}

void ConfigInfTest::profileIntegers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("leading blanks") << " \t12abc" << 12;
    QTest::newRow("plus sign") << "+7" << 7;
    QTest::newRow("minus sign") << "-15x" << -15;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("hex is not read") << "0x10" << 0;
    QTest::newRow("wraps as 32 bits") << "4294967297" << 1;
}

void ConfigInfTest::profileIntegers() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(webhost::parseProfileInt(text), expected);
}

namespace {
const bool registered = registerTest<ConfigInfTest>("ConfigInfTest");
}  // namespace
