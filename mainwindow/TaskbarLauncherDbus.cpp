#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include "TaskbarLauncher.h"

namespace mainwindow::launcher {

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

void showProgress(double fraction) {
    sendLauncherUpdate(
        {{QStringLiteral("progress"), fraction}, {QStringLiteral("progress-visible"), true}});
}

void hideProgress() {
    sendLauncherUpdate({{QStringLiteral("progress-visible"), false}});
}

}  // namespace mainwindow::launcher
