#include "PcFolder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "platform/sim/core/Machine.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/Profile.h"

using platform::sim::Machine;
using platform::sim::Profile;
using platform::sim::SimulatedPc;

PcFolder::PcFolder() : m_folder(std::make_unique<QTemporaryDir>()) {}

std::unique_ptr<PcFolder> PcFolder::fromFixture(const QString& name) {
    std::unique_ptr<PcFolder> folder(new PcFolder);
    const QByteArray text = fixtureText(name);
    if (text.isEmpty()) {
        folder->m_error =
            QStringLiteral("no fixture %1 in %2").arg(name, QStringLiteral(CORVANTA_FIXTURES_DIR));
        return folder;
    }
    folder->create(text, name);
    return folder;
}

std::unique_ptr<PcFolder> PcFolder::fromText(const QByteArray& text) {
    std::unique_ptr<PcFolder> folder(new PcFolder);
    folder->create(text, QStringLiteral("test"));
    return folder;
}

void PcFolder::create(const QByteArray& text, const QString& source) {
    Profile profile;
    if (!m_folder->isValid()) {
        m_error = m_folder->errorString();
        return;
    }
    if (platform::sim::parseProfile(text, source, platform::sim::registeredFacilities(), profile,
                                    m_error)) {
        if (Machine::create(directory(), profile, false, m_error)) {
            m_pc = open();
            m_error = m_pc->error();
        }
    }
}

QString PcFolder::stateFile(const QString& facility) const {
    return directory() + QStringLiteral("/state/") + facility + QStringLiteral(".json");
}

SimulatedPc& PcFolder::pc() {
    if (!m_pc) {
        m_pc = open();
    }
    return *m_pc;
}

std::unique_ptr<SimulatedPc> PcFolder::open() const {
    return std::make_unique<SimulatedPc>(directory(), platform::sim::registeredFacilities(),
                                         SimulatedPc::Open::Existing);
}

SimulatedPc& fixtureAsProcessPc(const QString& name) {
    // Lives as long as the process's PC: until the process ends.
    static const std::unique_ptr<PcFolder> folder = [&name] {
        std::unique_ptr<PcFolder> made = PcFolder::fromFixture(name);
        if (!made->isValid()) {
            qFatal("fixture %s: %s", qPrintable(name), qPrintable(made->error()));
        }
        platform::sim::setProcessPc(made->open());
        return made;
    }();
    return platform::sim::processPc();
}

QByteArray fixtureText(const QString& name) {
    QFile file(QStringLiteral(CORVANTA_FIXTURES_DIR "/%1.json").arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    QJsonObject profile = QJsonDocument::fromJson(fixtureText(QStringLiteral("bare-pc"))).object();
    profile.insert(QStringLiteral("printers"),
                   QJsonObject{{QStringLiteral("spoolerRunning"), spoolerRunning},
                               {QStringLiteral("queues"), queues}});
    return QJsonDocument(profile).toJson();
}
