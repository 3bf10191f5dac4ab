#include "TestPc.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/sim/Profile.h"
#include "platform/sim/spooler/SimSpooler.h"

using platform::sim::Machine;
using platform::sim::Profile;

std::unique_ptr<TestPc> TestPc::fromProfile(const QString& profileName) {
    auto pc = std::unique_ptr<TestPc>(new TestPc);
    Profile profile;
    if (!platform::sim::loadProfile(profileName, profile, pc->m_error) || !pc->create(profile)) {
        return pc;
    }
    return pc;
}

std::unique_ptr<TestPc> TestPc::fromProfileText(const QByteArray& text) {
    auto pc = std::unique_ptr<TestPc>(new TestPc);
    Profile profile;
    if (platform::sim::parseProfile(text, QStringLiteral("test"), profile, pc->m_error)) {
        pc->create(profile);
    }
    return pc;
}

bool TestPc::create(const Profile& profile) {
    m_directory = QDir(m_root.path()).filePath(QStringLiteral("machine"));
    if (!Machine::create(m_directory, profile, false, m_error)) {
        return false;
    }
    m_machine = Machine::open(m_directory, m_error);
    if (!m_machine) {
        return false;
    }
    m_registry = std::make_unique<platform::sim::SimRegistry>(m_machine->store());
    m_fileSystem = std::make_unique<platform::sim::SimFileSystem>(m_directory);
    m_spooler = platform::sim::spooler::makeSimSpooler(m_machine.get(), *m_registry, *m_fileSystem);
    return true;
}

platform::sim::spooler::SpoolerEditor TestPc::editor() {
    return platform::sim::spooler::SpoolerEditor(
        m_machine->store(), platform::sim::spooler::spoolFolder(*m_registry, *m_fileSystem));
}

QByteArray profileWithQueues(int count, bool spoolerRunning) {
    QJsonArray queues;
    for (int i = 1; i <= count; ++i) {
        queues.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("Queue %1").arg(i)},
                                  {QStringLiteral("driver"), QStringLiteral("Generic / Text Only")},
                                  {QStringLiteral("port"), QStringLiteral("FILE:")},
                                  {QStringLiteral("attributes"),
                                   QJsonArray{QStringLiteral("queued"), QStringLiteral("local")}}});
    }
    const QJsonObject profile{
        {QStringLiteral("description"), QStringLiteral("test PC")},
        {QStringLiteral("system"),
         QJsonObject{{QStringLiteral("version"), QJsonObject{{QStringLiteral("major"), 10},
                                                             {QStringLiteral("minor"), 0},
                                                             {QStringLiteral("build"), 19045}}},
                     {QStringLiteral("architecture"), QStringLiteral("x64")},
                     {QStringLiteral("computerName"), QStringLiteral("TEST-PC")},
                     {QStringLiteral("userName"), QStringLiteral("user")}}},
        {QStringLiteral("printers"), QJsonObject{{QStringLiteral("spoolerRunning"), spoolerRunning},
                                                 {QStringLiteral("queues"), queues}}}};
    return QJsonDocument(profile).toJson();
}
