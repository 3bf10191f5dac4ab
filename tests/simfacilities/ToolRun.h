#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of corvanta-sim on the machine in `machine`.
struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline ToolRun runSimTool(const QString& machine, const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(CORVANTA_SIM_TOOL),
               QStringList{QStringLiteral("--machine"), machine} + arguments);
    ToolRun run;
    if (tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit) {
        run.exitCode = tool.exitCode();
    }
    run.out = QString::fromUtf8(tool.readAllStandardOutput());
    run.err = QString::fromUtf8(tool.readAllStandardError());
    return run;
}
