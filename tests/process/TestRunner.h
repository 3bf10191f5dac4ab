#pragma once

#include <QObject>
#include <functional>
#include <vector>

// The test classes of this folder run from one executable; each registers itself here.
using TestFactory = std::function<QObject*()>;
std::vector<TestFactory>& registeredTests();

struct TestRegistration {
    explicit TestRegistration(TestFactory factory) {
        registeredTests().push_back(std::move(factory));
    }
};
