#include <QtTest>

#include "TestMain.h"
#include "platform/Wmi.h"

// WMI through COM on the running system: the steps of connecting, a query and its values.
class WmiBackendTest : public QObject {
    Q_OBJECT

    std::unique_ptr<platform::WmiService> service_;

private slots:
    void initTestCase() {
        // The test main's thread already has COM for the widgets (S_FALSE then).
        QVERIFY(!platform::failed(platform::wmi().initializeCom()));
        int stage = -1;
        QCOMPARE(platform::wmi().connect(L"ROOT\\CIMV2", service_, stage), platform::kSOk);
        QVERIFY(service_);
        QCOMPARE(service_->setProxyBlanket(), platform::kSOk);
    }
    void cleanupTestCase() {
        service_.reset();
        platform::wmi().uninitializeCom();
    }

    void operatingSystemHasACaption() {
        std::unique_ptr<platform::WmiEnumerator> result;
        QCOMPARE(service_->execQuery(L"SELECT Caption FROM Win32_OperatingSystem", result),
                 platform::kSOk);
        std::unique_ptr<platform::WmiObject> object;
        QCOMPARE(result->next(object), platform::kSOk);
        platform::WmiValue caption;
        QCOMPARE(object->get(L"Caption", caption), platform::kSOk);
        QCOMPARE(caption.type, platform::WmiValue::Type::String);
        QVERIFY(!caption.text.empty());
        QCOMPARE(result->next(object), platform::kSFalse);
        QVERIFY(!object);
    }

    void missingPropertyIsNotFound() {
        std::unique_ptr<platform::WmiEnumerator> result;
        QCOMPARE(service_->execQuery(L"SELECT * FROM Win32_OperatingSystem", result),
                 platform::kSOk);
        std::unique_ptr<platform::WmiObject> object;
        QCOMPARE(result->next(object), platform::kSOk);
        platform::WmiValue value;
        QCOMPARE(object->get(L"NoSuchProperty", value), platform::kWbemENotFound);
    }

    void unknownClassFails() {
        std::unique_ptr<platform::WmiEnumerator> result;
        platform::HResult status =
            service_->execQuery(L"SELECT * FROM Corvanta_NoSuchClass", result);
        // The failure may come with the query or with the first object (forward-only).
        if (!platform::failed(status)) {
            std::unique_ptr<platform::WmiObject> object;
            status = result->next(object);
        }
        QVERIFY(platform::failed(status));
    }

    void badNamespaceFailsAtConnect() {
        std::unique_ptr<platform::WmiService> service;
        int stage = -1;
        QVERIFY(platform::failed(
            platform::wmi().connect(L"ROOT\\CorvantaNoSuchNamespace", service, stage)));
        QCOMPARE(stage, 1);
        QVERIFY(!service);
    }
};

namespace {
const bool registered = registerTest<WmiBackendTest>("WmiBackendTest");
}

#include "WmiBackendTest.moc"
