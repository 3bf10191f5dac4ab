#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Every test executable (test_<folder>) has the same main (TestMain.cpp): it runs each QtTest
// class that its files registered, in the order of their names, under one QApplication. A test
// file registers its class at the end:
//
//     const bool registered = registerTest<InventoryTest>("InventoryTest");
namespace testsupport {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

bool registerTestFactory(const char* name, TestFactory factory);

// Runs before the application object is made, for what must be set up first (environment
// variables that Qt or the simulated PC read at start, the application's name).
bool registerProcessSetup(std::function<void()> setup);

template <class Test>
bool registerTest(const char* name) {
    return registerTestFactory(name, [] { return std::make_unique<Test>(); });
}

}  // namespace testsupport

using testsupport::registerProcessSetup;
using testsupport::registerTest;
