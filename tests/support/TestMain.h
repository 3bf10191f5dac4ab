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

template <class Test>
bool registerTest(const char* name) {
    return registerTestFactory(name, [] { return std::make_unique<Test>(); });
}

}  // namespace testsupport

using testsupport::registerTest;
