#include <QApplication>
#include <QTest>

#include "BridgeTest.h"
#include "JsValueTest.h"
#include "LocalPageServerTest.h"

// One executable for the folder: the value conversions, the page server over plain HTTP, and
// the bridge in a real (offscreen) engine view.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    JsValueTest values;
    failures += QTest::qExec(&values, argc, argv);
    LocalPageServerTest server;
    failures += QTest::qExec(&server, argc, argv);
    BridgeTest bridge;
    failures += QTest::qExec(&bridge, argc, argv);
    return failures == 0 ? 0 : 1;
}
