#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "TestRunner.h"

std::vector<TestFactory>& registeredTests() {
    static std::vector<TestFactory> tests;
    return tests;
}

int main(int argc, char** argv) {
    // A simulated PC of its own, created from the default profile on first use.
    QTemporaryDir machine;
    if (qEnvironmentVariableIsEmpty("CORVANTA_MACHINE")) {
        qputenv("CORVANTA_MACHINE", machine.filePath(QStringLiteral("machine")).toUtf8());
    }
    QApplication app(argc, argv);
    int failures = 0;
    for (const TestFactory& factory : registeredTests()) {
        std::unique_ptr<QObject> test(factory());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
