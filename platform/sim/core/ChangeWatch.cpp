#include "platform/sim/core/ChangeWatch.h"

#include <QElapsedTimer>
#include <QFile>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::sim {

namespace {

// Room for many events at once; a name is at most NAME_MAX bytes.
constexpr std::size_t kEventBufferSize = 64 * (sizeof(inotify_event) + NAME_MAX + 1);

// IN_MOVED_TO: an update's atomic rename; IN_CLOSE_WRITE: a document written in place by hand.
constexpr std::uint32_t kWatchedEvents = IN_MOVED_TO | IN_CLOSE_WRITE;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

int remainingMs(int timeoutMs, const QElapsedTimer& timer) {
    if (timeoutMs < 0) {
        return -1;
    }
    return static_cast<int>(qMax<qint64>(0, timeoutMs - timer.elapsed()));
}

}  // namespace

ChangeWatch::ChangeWatch(const QString& stateDirectory, const QString& facility)
    : m_fileName(facility + QStringLiteral(".json")) {
    m_cancelFd.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    m_inotifyFd.reset(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!m_cancelFd.valid() || !m_inotifyFd.valid()) {
        m_error = QStringLiteral("cannot watch for changes: %1").arg(systemError());
        return;
    }
    const QByteArray directory = QFile::encodeName(stateDirectory);
    if (::inotify_add_watch(m_inotifyFd.get(), directory.constData(), kWatchedEvents) < 0) {
        m_error = QStringLiteral("cannot watch %1: %2").arg(stateDirectory, systemError());
    }
}

bool ChangeWatch::isValid() const {
    return m_error.isEmpty();
}

bool ChangeWatch::wait(int timeoutMs) {
    if (!isValid()) {
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (isCancelled()) {
            return false;
        }
        if (drainEvents()) {
            return true;
        }
        pollfd fds[2] = {{m_inotifyFd.get(), POLLIN, 0}, {m_cancelFd.get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, remainingMs(timeoutMs, timer));
        if (ready == 0) {
            return drainEvents();
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

// Reads every pending event; true when one of them is about this facility's document.
bool ChangeWatch::drainEvents() {
    alignas(inotify_event) char buffer[kEventBufferSize];
    bool changed = false;
    for (;;) {
        const ssize_t length = ::read(m_inotifyFd.get(), buffer, sizeof buffer);
        if (length <= 0) {
            return changed;
        }
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            // An overflowed queue may have dropped this document's event: report a change.
            if ((event->mask & IN_Q_OVERFLOW) != 0 ||
                (event->len > 0 && QFile::decodeName(event->name) == m_fileName)) {
                changed = true;
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void ChangeWatch::cancel() {
    const std::uint64_t one = 1;
    if (m_cancelFd.valid()) {
        [[maybe_unused]] const ssize_t written = ::write(m_cancelFd.get(), &one, sizeof one);
    }
}

bool ChangeWatch::isCancelled() const {
    pollfd fd{m_cancelFd.get(), POLLIN, 0};
    return m_cancelFd.valid() && ::poll(&fd, 1, 0) > 0;
}

}  // namespace platform::sim
