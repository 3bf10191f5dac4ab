#include "EngineStartup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <QUrl>

namespace webhost::startup {

namespace {

constexpr const char* kProcessPathVariable = "QTWEBENGINEPROCESS_PATH";
constexpr const char* kResourcesPathVariable = "QTWEBENGINE_RESOURCES_PATH";
constexpr const char* kDisableSandboxVariable = "QTWEBENGINE_DISABLE_SANDBOX";
constexpr const char* kQuickBackendVariable = "QT_QUICK_BACKEND";
constexpr const char* kProcessName = "QtWebEngineProcess";
constexpr const char* kResourcesFile = "qtwebengine_resources.pak";

// Nothing the engine would do by itself may leave the machine.
const QStringList kQuietFlags = {
    QStringLiteral("--disable-background-networking"),
    QStringLiteral("--disable-component-update"),
    QStringLiteral("--disable-domain-reliability"),
    QStringLiteral("--disable-breakpad"),
    QStringLiteral("--disable-sync"),
    QStringLiteral("--no-pings"),
    QStringLiteral("--dns-prefetch-disable"),
    QStringLiteral("--disable-features=NetworkPrediction,AutofillServerCommunication"),
};

QString helperProcessPath() {
    const QString fromEnvironment = qEnvironmentVariable(kProcessPathVariable);
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir(QLibraryInfo::location(QLibraryInfo::LibraryExecutablesPath))
        .filePath(kProcessName);
}

QString resourcesPath() {
    const QString fromEnvironment = qEnvironmentVariable(kResourcesPathVariable);
    const QString folder = !fromEnvironment.isEmpty()
                               ? fromEnvironment
                               : QDir(QLibraryInfo::location(QLibraryInfo::DataPath))
                                     .filePath(QStringLiteral("resources"));
    return QDir(folder).filePath(kResourcesFile);
}

// The owner of the process's own /proc entry is its effective user.
bool runsAsRoot() {
    return QFileInfo(QStringLiteral("/proc/self")).ownerId() == 0;
}

}  // namespace

QString hostNameOf(const QString& configuredHost) {
    const QString trimmed = configuredHost.trimmed();
    if (trimmed.isEmpty()) {
        return QString();
    }
    const QUrl url = trimmed.contains(QStringLiteral("://"))
                         ? QUrl(trimmed)
                         : QUrl(QStringLiteral("http://") + trimmed);
    return url.host();
}

namespace {

// The engine resolves no name at all: the served host goes to the page server, the loopback
// names to 127.0.0.1 (port kept), loopback addresses stay as they are, and every other name
// fails at once (~NOTFOUND). Mapping localhost too spares even the engine's own resolution of
// it, which first probes whether a public IPv6 address is reachable. The engine applies its
// exclusions before its mappings, and the first mapping that matches wins.
QString hostResolverRules(const QString& servedHost, int port) {
    QStringList rules;
    if (!servedHost.isEmpty() && port > 0) {
        rules << QStringLiteral("MAP %1 127.0.0.1:%2").arg(servedHost).arg(port);
    }
    rules << QStringLiteral("MAP localhost 127.0.0.1")
          << QStringLiteral("MAP *.localhost 127.0.0.1") << QStringLiteral("MAP * ~NOTFOUND")
          << QStringLiteral("EXCLUDE 127.*") << QStringLiteral("EXCLUDE ::1");
    return rules.join(QStringLiteral(", "));
}

}  // namespace

QByteArray chromiumFlags(const QString& servedHost, int port) {
    QStringList flags = kQuietFlags;
    flags
        << QStringLiteral("--host-resolver-rules=\"%1\"").arg(hostResolverRules(servedHost, port));
    if (!servedHost.isEmpty() && port > 0) {
        flags << QStringLiteral("--proxy-bypass-list=%1").arg(servedHost);
    }
    return flags.join(' ').toUtf8();
}

void prepareEnvironment() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen") &&
        qEnvironmentVariableIsEmpty(kQuickBackendVariable)) {
        qputenv(kQuickBackendVariable, "software");
    }
    if (runsAsRoot() && qEnvironmentVariableIsEmpty(kDisableSandboxVariable)) {
        qputenv(kDisableSandboxVariable, "1");
    }
}

bool checkRuntime(QString* error) {
    QString problem;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        problem = QStringLiteral("the engine needs a QApplication");
    } else if (!QFileInfo(helperProcessPath()).isExecutable()) {
        problem =
            QStringLiteral("the engine's helper program %1 is missing").arg(helperProcessPath());
    } else if (!QFileInfo(resourcesPath()).isFile()) {
        problem = QStringLiteral("the engine's resources %1 are missing").arg(resourcesPath());
    }
    if (error) {
        *error = problem;
    }
    return problem.isEmpty();
}

}  // namespace webhost::startup
