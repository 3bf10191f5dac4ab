#include "TestMain.h"

#include <QApplication>
#include <QTest>

#include <map>
#include <string>
#include <vector>

namespace testsupport {

namespace {

std::map<std::string, TestFactory>& registeredTests() {
    static std::map<std::string, TestFactory> tests;
    return tests;
}

std::vector<std::function<void()>>& processSetups() {
    static std::vector<std::function<void()>> setups;
    return setups;
}

}  // namespace

bool registerProcessSetup(std::function<void()> setup) {
    processSetups().push_back(std::move(setup));
    return true;
}

bool registerTestFactory(const char* name, TestFactory factory) {
    return registeredTests().emplace(name, std::move(factory)).second;
}

}  // namespace testsupport

int main(int argc, char* argv[]) {
    for (const auto& setup : testsupport::processSetups()) {
        setup();
    }
    QApplication app(argc, argv);
    int failures = 0;
    for (const auto& [name, factory] : testsupport::registeredTests()) {
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
