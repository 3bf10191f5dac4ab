#include "SingleInstance.h"

#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include "WindowList.h"
#include "WindowMessages.h"

namespace webhost {
namespace {

const QString kLockSuffix = QStringLiteral("-=skbn123");
// The first instance may have its lock but not yet its listener: a second instance retries.
constexpr int kConnectAttempts = 20;
constexpr int kConnectWaitMs = 100;
// SendMessageW would wait as long as the first instance's notice is open; a second instance
// gives up waiting after a while and ends all the same.
constexpr int kReplyWaitMs = 30000;
constexpr char kHandled = '1';
constexpr char kNoWindow = '0';

QString lockFilePath(const QString& name) {
    // The name may hold characters a file name cannot: keep it readable but safe.
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(QDir::tempPath()).filePath(safe + QStringLiteral(".lock"));
}

// Tells the first instance and waits until it has handled the notice.
void notifyFirstInstance(const QString& name, const QString& windowClass) {
    QLocalSocket socket;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        socket.connectToServer(name);
        if (socket.waitForConnected(kConnectWaitMs)) {
            break;
        }
        QThread::msleep(kConnectWaitMs);
    }
    if (socket.state() != QLocalSocket::ConnectedState) {
        qWarning().noquote() << "the running instance does not answer on" << name;
        return;
    }
    socket.write(windowClass.toUtf8() + '\n');
    socket.waitForBytesWritten(kConnectWaitMs);
    socket.waitForReadyRead(kReplyWaitMs);
}

}  // namespace

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockName(const QString& productName) {
    return productName + kLockSuffix;
}

bool SingleInstance::anotherInstanceRunning(const QString& productName,
                                            const QString& windowClass) {
    const QString name = lockName(productName);
    if (becomeFirst(name)) {
        return false;
    }
    notifyFirstInstance(name, windowClass);
    return true;
}

bool SingleInstance::becomeFirst(const QString& name) {
    auto lock = std::make_unique<QLockFile>(lockFilePath(name));
    lock->setStaleLockTime(0);  // a lock is stale only when its process is gone
    if (!lock->tryLock(0)) {
        return false;
    }
    m_lock = std::move(lock);
    QLocalServer::removeServer(name);  // left behind by an instance that did not end cleanly
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        qWarning().noquote() << "single instance: cannot listen on" << name << ":"
                             << m_server->errorString();
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                     [this] { onConnection(); });
    return true;
}

// A second instance names its window class; its window of that class gets 0x469 and the
// second instance learns when that has been handled.
void SingleInstance::onConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (!socket->canReadLine()) {
                return;
            }
            const QString windowClass = QString::fromUtf8(socket->readLine()).trimmed();
            const WindowHandle window = windowList::findByClass(windowClass);
            if (window) {
                sendMessage(window, kMsgSecondInstance, 0, 0);
            }
            socket->write(QByteArray(1, window ? kHandled : kNoWindow));
            socket->flush();
        });
    }
}

}  // namespace webhost
