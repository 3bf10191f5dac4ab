#include "TaskbarButton.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace mainwindow {

namespace {

// The launcher-entry protocol that desktop docks and taskbars listen to.
constexpr char kLauncherInterface[] = "com.canonical.Unity.LauncherEntry";
constexpr char kLauncherPath[] = "/com/corvanta/Corvanta";
constexpr char kApplicationUri[] = "application://corvanta.desktop";

void sendLauncherUpdate(const QVariantMap& properties) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(
        QLatin1String(kLauncherPath), QLatin1String(kLauncherInterface), QStringLiteral("Update"));
    update << QString::fromLatin1(kApplicationUri) << properties;
    bus.send(update);
}

}  // namespace

void TaskbarButton::setProgress(int done, int total) {
    const double fraction = total > 0 ? static_cast<double>(done) / total : 0.0;
    sendLauncherUpdate(
        {{QStringLiteral("progress"), fraction}, {QStringLiteral("progress-visible"), true}});
}

void TaskbarButton::clearProgress() {
    sendLauncherUpdate({{QStringLiteral("progress-visible"), false}});
}

void TaskbarButton::flash() {
    if (m_window)
        QApplication::alert(m_window);
}

}  // namespace mainwindow
