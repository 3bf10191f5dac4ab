#include "TestMain.h"

#include <QApplication>
#include <QTest>

#include <map>
#include <string>

namespace testsupport {

namespace {

std::map<std::string, TestFactory>& registeredTests() {
    static std::map<std::string, TestFactory> tests;
    return tests;
}

}  // namespace

bool registerTestFactory(const char* name, TestFactory factory) {
    return registeredTests().emplace(name, std::move(factory)).second;
}

}  // namespace testsupport

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto& [name, factory] : testsupport::registeredTests()) {
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
