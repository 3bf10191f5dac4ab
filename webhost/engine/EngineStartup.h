#pragma once

#include <QByteArray>
#include <QString>

// What must be in place before the first engine object exists: the engine's command-line
// flags (read once, when the engine starts) and the checks that tell whether it can start.
namespace webhost::startup {

// Flags that map `servedHost` (a host name, empty for none) to the local page server at
// 127.0.0.1:`port`, keep that host off any proxy, let every other name fail without a lookup
// (loopback names and addresses excepted), and stop the engine's own background traffic.
QByteArray chromiumFlags(const QString& servedHost, int port);

// The host name part of the configured host ("http://ui.local" → "ui.local").
QString hostNameOf(const QString& configuredHost);

// Sets the variables a run without display or as root needs, when they are not set already.
void prepareEnvironment();

// Answers false (and why) when the engine cannot start in this process: no QApplication, or
// the engine's helper process or resources are missing.
bool checkRuntime(QString* error);

}  // namespace webhost::startup
