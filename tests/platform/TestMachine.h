#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include "platform/sim/Machine.h"

// A simulated PC in a temporary folder, removed with the object.
class TestMachine {
public:
    // The small PC of kTestProfile unless another profile's text is given.
    explicit TestMachine(const QByteArray& profileText = QByteArray());

    bool isValid() const { return m_machine != nullptr; }
    QString error() const { return m_error; }
    QString directory() const { return m_folder.path() + QStringLiteral("/machine"); }
    QString stateFile(const QString& facility) const;
    platform::sim::Machine& machine() { return *m_machine; }

    static const char* const kTestProfile;

private:
    QTemporaryDir m_folder;
    std::unique_ptr<platform::sim::Machine> m_machine;
    QString m_error;
};
