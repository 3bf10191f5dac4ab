#include <QApplication>
#include <QtTest>

#include "ConfigInfTest.h"
#include "FrameGeometryTest.h"
#include "WindowMessagesTest.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    {
        ConfigInfTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        FrameGeometryTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        WindowMessagesTest test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}
