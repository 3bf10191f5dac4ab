#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

#include <iostream>

#include <unistd.h>

#include "PcFolder.h"
#include "platform/sim/core/ProcessPc.h"
#include "platform/sim/core/SimulatedPc.h"

// The fixture PC that cannot share, as the process's PC, and its state as the fixture made it:
// reset() puts every state document back, so each case starts from the same PC.
class SharePc {
public:
    static SharePc& instance() {
        static SharePc pc;
        return pc;
    }

    QString directory() const { return platform::sim::processPc().machine().directory(); }

    bool reset() const {
        const QDir from(m_pristine->directory() + QStringLiteral("/state"));
        const QDir to(directory() + QStringLiteral("/state"));
        for (const QString& name : from.entryList({QStringLiteral("*.json")}, QDir::Files)) {
            QFile::remove(to.filePath(name));
            if (!QFile::copy(from.filePath(name), to.filePath(name))) {
                return false;
            }
        }
        return true;
    }

    // corvanta-sim on this PC; true when it answered 0.
    bool tool(const QStringList& arguments, QString* err = nullptr) const {
        QProcess process;
        process.start(QStringLiteral(CORVANTA_SIM_TOOL),
                      QStringList{QStringLiteral("--machine"), directory()} + arguments);
        const bool done = process.waitForFinished(30000) &&
                          process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (err != nullptr) {
            *err = QString::fromUtf8(process.readAllStandardError());
        }
        return done;
    }

private:
    SharePc() : m_pristine(PcFolder::fromFixture(QStringLiteral("share-pc"))) {
        fixtureAsProcessPc(QStringLiteral("share-pc"));
    }

    std::unique_ptr<PcFolder> m_pristine;
};

// What this process writes to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() {
        m_file.open();
        fflush(stderr);
        std::fflush(nullptr);
        m_saved = dup(STDERR_FILENO);
        dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { restore(); }

    QString text() {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore() {
        if (m_saved >= 0) {
            std::cerr.flush();
            fflush(stderr);
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
            m_saved = -1;
        }
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};
