#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Every test executable (test_<folder>) has the same main (TestMain.cpp): it runs each QtTest
// class that its files registered, in the order of their names, under one QApplication. A test
// file registers its class at the end:
//
//     const bool registered = registerTest<InventoryTest>("InventoryTest");
//
// As the program itself does, the main ends the process without running static destructors:
// detached threads of the code under test (the printer change monitor, share probes) may still
// be using Qt and the simulated PC then.
namespace testsupport {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

bool registerTestFactory(const char* name, TestFactory factory);

// Runs before the application object is made, for what must be set up first (environment
// variables that Qt or the simulated PC read at start, the application's name).
bool registerProcessSetup(std::function<void()> setup);

// A folder of this test process, made at the first call and removed when the tests are done.
QString processFolder();

template <class Test>
bool registerTest(const char* name) {
    return registerTestFactory(name, [] { return std::make_unique<Test>(); });
}

}  // namespace testsupport

using testsupport::processFolder;
using testsupport::registerProcessSetup;
using testsupport::registerTest;
