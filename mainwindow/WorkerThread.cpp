#include "WorkerThread.h"

#include "platform/HandOver.h"

namespace mainwindow {

WorkerThread::WorkerThread(Job job, QObject* parent) : QThread(parent), m_job(std::move(job)) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

WorkerThread::WorkerThread(JobWithArgument job, int argument, QObject* parent)
    : QThread(parent), m_jobWithArgument(std::move(job)), m_argument(argument) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

// Deleted (later) once finished: the end of run() is handed over through Qt's own signalling.
WorkerThread::~WorkerThread() {
    platform::handOver::taken(this);
}

void WorkerThread::run() {
    std::wstring output;
    if (m_jobWithArgument)
        m_jobWithArgument(output, m_argument);
    else if (m_job)
        m_job(output);
    emit resultReady(QString::fromStdWString(output));
    platform::handOver::giving(this);
}

}  // namespace mainwindow
