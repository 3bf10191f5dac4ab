#pragma once

#include <QString>

#include "platform/posix/UniqueFd.h"

namespace platform::sim {

// Learns when another process (or this one) changes one facility's state document.
//
// It watches the state directory with inotify for the atomic rename that every update ends
// with. Create the watch before reading the state it guards, so that no change falls between
// the read and the wait. Several changes may arrive as one wake-up; compare the document's
// changeCount to know what was missed.
class ChangeWatch {
public:
    ChangeWatch(const QString& stateDirectory, const QString& facility);
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // False when the watch could not be set up; errorString() says why.
    bool isValid() const;
    QString errorString() const { return m_error; }

    // Blocks until the document changes (true), the timeout passes or cancel() was called
    // (false). A negative timeout waits for ever; 0 only collects changes already signalled.
    bool wait(int timeoutMs);

    // Readable while a change is pending, for QSocketNotifier or poll(); call wait(0) when it
    // fires to collect the change.
    int fd() const { return m_inotifyFd.get(); }

    // Wakes a wait() in another thread; every later wait() answers false at once.
    void cancel();
    bool isCancelled() const;

private:
    bool drainEvents();

    QString m_fileName;
    posix::UniqueFd m_inotifyFd;
    posix::UniqueFd m_cancelFd;
    QString m_error;
};

}  // namespace platform::sim
