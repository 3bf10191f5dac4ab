#pragma once

#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace webhost {

// The rule that one installation runs once. The lock is named after the product
// (productName + "-=skbn123"), so installations with different product names do not block
// each other. The first instance holds the lock for its whole life and listens under the same
// name; a second instance tells it (the first sends 0x469 to its window of the given class,
// which shows the "already running" notice) and then ends without showing anything.
class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    static QString lockName(const QString& productName);

    // True when another instance holds the lock; it has been told by then. False when this
    // process now holds it.
    bool anotherInstanceRunning(const QString& productName, const QString& windowClass);

private:
    bool becomeFirst(const QString& name);
    void onConnection();

    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

}  // namespace webhost
