#include "TestMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
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

namespace {

// Made once and never destroyed: the process ends without static destructors.
QTemporaryDir* processTemporaryDir = nullptr;

}  // namespace

QString processFolder() {
    if (processTemporaryDir == nullptr) {
        processTemporaryDir = new QTemporaryDir;
    }
    return processTemporaryDir->path();
}

void removeProcessFolder() {
    if (processTemporaryDir != nullptr) {
        processTemporaryDir->remove();
    }
}

bool registerTestFactory(const char* name, TestFactory factory) {
    return registeredTests().emplace(name, std::move(factory)).second;
}

}  // namespace testsupport

int main(int argc, char* argv[]) {
    for (const auto& setup : testsupport::processSetups()) {
        setup();
    }
    int failures = 0;
    {
        QApplication app(argc, argv);
        for (const auto& [name, factory] : testsupport::registeredTests()) {
            const std::unique_ptr<QObject> test = factory();
            failures += QTest::qExec(test.get(), argc, argv);
        }
    }
    testsupport::removeProcessFolder();
    std::fflush(nullptr);
    std::_Exit(failures == 0 ? 0 : 1);
}
