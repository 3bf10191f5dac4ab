#include <QApplication>
#include <QTest>

#include "PageTest.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PageTest test;
    return QTest::qExec(&test, argc, argv);
}
