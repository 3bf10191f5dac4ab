#include "TestMachine.h"

#include "platform/sim/Profile.h"

// A PC with one key of each kind the registry tests need.
const char* const TestMachine::kTestProfile = R"({
    "system": {
        "version": {"major": 10, "minor": 0, "build": 19045},
        "architecture": "x64",
        "computerName": "TEST-PC",
        "userName": "Tester"
    },
    "registry": {
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App": {
            "Name": "Corvanta",
            "Count": 7,
            "": "default value"
        },
        "HKLM\\SOFTWARE\\Vendor\\App\\Child": {},
        "HKLM\\SOFTWARE\\Vendor\\Leaf": {},
        "HKLM\\SOFTWARE\\Locked\\Inner": {"Secret": "x"},
        "HKLM\\SOFTWARE\\Fixed": {"Setting": 1}
    },
    "registryAccess": {
        "HKLM\\SOFTWARE\\Locked": "denied",
        "HKLM\\SOFTWARE\\Fixed": "readOnly"
    }
})";

TestMachine::TestMachine(const QByteArray& profileText) {
    platform::sim::Profile profile;
    const QByteArray text = profileText.isEmpty() ? QByteArray(kTestProfile) : profileText;
    if (platform::sim::parseProfile(text, QStringLiteral("test"), profile, m_error) &&
        platform::sim::Machine::create(directory(), profile, false, m_error)) {
        m_machine = platform::sim::Machine::open(directory(), m_error);
    }
}

QString TestMachine::stateFile(const QString& facility) const {
    return directory() + QStringLiteral("/state/") + facility + QStringLiteral(".json");
}
