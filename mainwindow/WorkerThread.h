#pragma once

#include <QString>
#include <QThread>
#include <functional>
#include <string>

namespace mainwindow {

// Runs one job on its own thread and hands its text result to whoever listens to resultReady
// (a queued connection delivers it on the UI thread). The thread deletes itself after it has
// finished, so callers start it and forget it.
class WorkerThread : public QThread {
    Q_OBJECT
public:
    using Job = std::function<void(std::wstring& output)>;
    using JobWithArgument = std::function<void(std::wstring& output, int argument)>;

    // Mode 0: the job takes only its output.
    WorkerThread(Job job, QObject* parent);
    // Mode 1: the job also gets `argument`.
    WorkerThread(JobWithArgument job, int argument, QObject* parent);
    ~WorkerThread() override;

    int mode() const { return m_jobWithArgument ? 1 : 0; }

signals:
    void resultReady(const QString& pcinfo);

protected:
    void run() override;

private:
    Job m_job;
    JobWithArgument m_jobWithArgument;
    int m_argument = 0;
};

}  // namespace mainwindow
