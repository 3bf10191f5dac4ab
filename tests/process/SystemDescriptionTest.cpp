#include <QtTest>

#include "TestMain.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "process/MachineId.h"
#include "process/SystemDescription.h"

namespace {

process::ProductSection testProduct() {
    process::ProductSection product;
    product.subkey = QStringLiteral("corvanta-test");
    product.productName = QStringLiteral("lp-repair");
    product.channel = QStringLiteral("beta");
    return product;
}

}  // namespace

class SystemDescriptionTest : public QObject {
    Q_OBJECT

private slots:
    void fixedSelectors_data() {
        QTest::addColumn<int>("selector");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0 file version") << 0 << "8.1.0.0";
        QTest::newRow("1 product name") << 1 << "lp-repair";
        QTest::newRow("6") << 6 << "5";
        QTest::newRow("8") << 8 << "1.0.0.0";
        QTest::newRow("9 channel") << 9 << "beta";
        QTest::newRow("10 unbound member") << 10 << "";
        QTest::newRow("11") << 11 << "";
        QTest::newRow("large") << 1000 << "";
        QTest::newRow("negative") << -1 << "";
    }
    void fixedSelectors() {
        QFETCH(int, selector);
        QFETCH(QString, expected);
        QCOMPARE(process::baseSystemInfo(selector, testProduct()), expected);
    }

    void selectorsFromTheSystem() {
        const process::ProductSection product = testProduct();
        QCOMPARE(process::baseSystemInfo(3, product), process::machineIdentifier());
        QCOMPARE(process::baseSystemInfo(7, product), process::kernelVersion());
        QVERIFY(process::kernelVersion().contains(QStringLiteral(" NT ")));
        const QString wow64 = process::baseSystemInfo(4, product);
        QVERIFY(wow64 == QStringLiteral("true") || wow64 == QStringLiteral("false"));
        QVERIFY(process::kernelVersion().endsWith(process::baseSystemInfo(5, product)));
    }

    // The value lives under the product's root key, "SOFTWARE\" + subkey.
    void packageNameFromProductKey() {
        QVERIFY(platform::startupError().empty());
        QCOMPARE(
            platform::reg::writeString(platform::registry(), platform::RegistryRoot::LocalMachine,
                                       L"SOFTWARE\\corvanta-test", L"PackageName", L"pkg-42"),
            0u);
        QCOMPARE(process::baseSystemInfo(2, testProduct()), QStringLiteral("pkg-42"));
    }
};

namespace {
const bool registered = registerTest<SystemDescriptionTest>("SystemDescriptionTest");
}
#include "SystemDescriptionTest.moc"
