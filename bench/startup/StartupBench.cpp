#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

constexpr const char* kCorvantaBinary = CORVANTA_BINARY;
constexpr const char* kBareViewBinary = BARE_VIEW_BINARY;
constexpr double kStartTarget = 1.3;
constexpr int kRuns = 5;
constexpr int kPollMs = 5;
constexpr int kTimeoutMs = 60000;

// The page tells it is up by writing a file through the framework, then closes its window.
constexpr const char* kPage = R"(<!DOCTYPE html><html><body><script>
(function wait() {
  if (typeof handle === "undefined") { setTimeout(wait, 5); return; }
  writeTextToFile(getCurrentModuleFileDirectory() + "/ready", "1");
  sendMessage(handle, 0x0010, 0, 0);
})();
</script></body></html>)";

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

struct Timing {
    qint64 pageReadyMs = -1;
    qint64 exitedMs = -1;
};

Timing runOnce(const QString& folder, const QString& machine, const QString& program,
               const QStringList& arguments) {
    QFile::remove(QDir(folder).filePath("ready"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANTA_MACHINE", machine);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    env.insert("CORVANTA_HEADLESS", "accept");
    QProcess corvanta;
    corvanta.setProcessEnvironment(env);
    corvanta.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Timing timing;
    QElapsedTimer clock;
    clock.start();
    corvanta.start(program, arguments);
    while (clock.elapsed() < kTimeoutMs && corvanta.state() != QProcess::NotRunning) {
        if (timing.pageReadyMs < 0 && QFileInfo::exists(QDir(folder).filePath("ready"))) {
            timing.pageReadyMs = clock.elapsed();
        }
        corvanta.waitForFinished(kPollMs);
    }
    timing.exitedMs = corvanta.state() == QProcess::NotRunning ? clock.elapsed() : -1;
    return timing;
}

qint64 median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QTemporaryDir machine;
    QFile::copy(QString::fromUtf8(kCorvantaBinary), folder.filePath("corvanta"));
    QDir().mkpath(folder.filePath("html"));
    writeFile(folder.filePath("html/index.html"), kPage);
    writeFile(folder.filePath("config.inf"),
              "[window]\nurl=http://bench.corvanta.test/index.html\n"
              "host=http://bench.corvanta.test\n[product]\nproductName=bench-startup\n");
    QTextStream out(stdout);
    const QString corvanta = folder.filePath("corvanta");
    const QStringList barePage{folder.filePath("html/index.html")};
    std::vector<qint64> ready, exited, bareReady;
    for (int run = 0; run < kRuns; ++run) {
        const Timing t = runOnce(folder.path(), machine.path(), corvanta, {});
        const Timing bare =
            runOnce(folder.path(), machine.path(), QString::fromUtf8(kBareViewBinary), barePage);
        out << "run " << run + 1 << ": Corvanta page ready " << t.pageReadyMs << " ms, exited "
            << t.exitedMs << " ms; bare view page loaded " << bare.pageReadyMs << " ms\n";
        ready.push_back(t.pageReadyMs);
        exited.push_back(t.exitedMs);
        bareReady.push_back(bare.pageReadyMs);
    }
    out << "median of " << kRuns << ": Corvanta page ready " << median(ready) << " ms, exited "
        << median(exited) << " ms; bare view page loaded " << median(bareReady) << " ms\n";
    out << "ratio start-up Corvanta/bare view "
        << static_cast<double>(median(ready)) / static_cast<double>(median(bareReady))
        << " (target <= " << kStartTarget << ")\n";
    return 0;
}
