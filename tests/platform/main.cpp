#include <QCoreApplication>
#include <QTest>

#include <memory>
#include <vector>

QObject* makeRegistryTest();
QObject* makeProfileTest();
QObject* makeStateStoreTest();
QObject* makeFileSystemTest();
QObject* makeToolTest();
QObject* makeBackendTest();

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<QObject>> tests;
    tests.emplace_back(makeRegistryTest());
    tests.emplace_back(makeProfileTest());
    tests.emplace_back(makeStateStoreTest());
    tests.emplace_back(makeFileSystemTest());
    tests.emplace_back(makeToolTest());
    tests.emplace_back(makeBackendTest());
    int failures = 0;
    for (const auto& test : tests) {
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
