#pragma once

#include <QObject>

class ConfigInfTest : public QObject {
    Q_OBJECT

private slots:
    void readsKeys_data();
    void readsKeys();
    void missingFileKeepsDefaults();
    void profileIntegers_data();
    void profileIntegers();
};
