#pragma once

#include <QThread>
#include <atomic>

namespace mainwindow {

// A scan thread of the main window. The UI thread may ask it to stop by setting its state to
// kStateInterrupt (the interrupt command, or closing the main window); the thread reads the state
// and stops. The scans give the other values their meaning.
class SearcherThread : public QThread {
    Q_OBJECT
public:
    static constexpr int kStateInterrupt = 2;

    using QThread::QThread;

    int state() const { return m_state.load(); }
    void setState(int state) { m_state.store(state); }

private:
    std::atomic<int> m_state{0};
};

}  // namespace mainwindow
