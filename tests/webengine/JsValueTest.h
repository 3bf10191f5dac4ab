#pragma once

#include <QObject>

class JsValueTest : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions();
    void wireRoundTrip_data();
    void wireRoundTrip();
    void pageWireText_data();
    void pageWireText();
    void objectsKeepInsertionOrder();
    void largeObjectsKeepEveryMember();
    void callReadsAbsentPositionsAsEmpty();
};
