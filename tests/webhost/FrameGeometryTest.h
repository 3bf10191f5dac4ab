#pragma once

#include <QObject>

// The pure rules of the window framework: drag area, hit test, URL limit, navigation.
class FrameGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void dragArea_data();
    void dragArea();
    void dragAreaFromPageHoldsForAnyOrigin();
    void hitTest_data();
    void hitTest();
    void createWindowUrlLimit_data();
    void createWindowUrlLimit();
    void navigation_data();
    void navigation();
};
