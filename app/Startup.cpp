#include "Startup.h"

#include <QApplication>
#include <QDir>
#include <QTextCodec>
#include <cstdio>
#include <cstdlib>

#include "downloads/User.h"
#include "mainwindow/MainBlkWindow.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "printers/PrinterMonitor.h"
#include "process/CrashHandler.h"
#include "process/Dialogs.h"
#include "webhost/EngineLoading.h"
#include "webhost/ProductSettings.h"
#include "webhost/ProgramFolder.h"
#include "webhost/ShowCommand.h"
#include "webhost/SingleInstance.h"

namespace app {
namespace {

// The UI server. Its pages are served from html/ beside the program (the engine maps this host
// to the local page server), so the address never has to resolve anywhere.
constexpr const char* kUiServer = "http://ui.corvanta.test";
constexpr const char* kStartPath = "/index.html";

void setIdentity() {
    QCoreApplication::setApplicationVersion(QStringLiteral("8.1.0.0"));
    QCoreApplication::setOrganizationName(QStringLiteral("Talvent"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvanta"));
}

// The simulated PC (or the real one) must be usable before anything reads from it.
bool platformReady() {
    const std::wstring error = platform::startupError();
    if (error.empty()) {
        return true;
    }
    process::messageBox(nullptr, QString::fromStdWString(error), QStringLiteral("提示"),
                        process::kMbOk | process::kMbIconError);
    return false;
}

// config.inf and the process-wide values it decides.
webhost::StartupSettings loadSettings() {
    webhost::StartupSettings settings = defaultStartupSettings();
    webhost::readConfigInf(QDir(webhost::programFolder()).filePath(webhost::kConfigInfName),
                           settings);
    webhost::publishProductSection(settings.product);
    process::setCrashReporterProductName(settings.product.productName);
    return settings;
}

bool createMainWindow(const webhost::StartupSettings& s) {
    auto* window = new mainwindow::MainBlkWindow(s.startUrl.toUtf8());
    if (!window->create(s.window, s.frame, s.options, s.tempLocalStorage, s.tempCookie,
                        webhost::kSwShow)) {
        return false;
    }
    // Printer additions, removals and changes reach the page from now on.
    PrinterAPI::PrinterMonitor::instance().subscribeAndStart(window->handle(),
                                                             PrinterAPI::PrinterMonitor::kMaskAll);
    return true;
}

// What must end before the application object does, in this order: the printer monitor's
// threads (they use the platform and post to windows), then the web windows still open with
// their pages, then the engine's profiles.
struct EngineUse {
    ~EngineUse() {
        PrinterAPI::PrinterMonitor::instance().stop();
        webhost::unloadEngine();
    }
};

}  // namespace

webhost::StartupSettings defaultStartupSettings() {
    webhost::StartupSettings s;
    s.window.windowClass = QStringLiteral("mainWindow");
    s.window.caption = QStringLiteral("Corvanta");
    s.window.host = kUiServer;
    s.window.windowRect = webhost::WinRect{0, 0, 800, 600};
    s.window.captionRect = webhost::WinRect{-1, 0, -1, 60};
    s.frame = webhost::FrameFlags{false, false, true, true, 0};
    // Windows older than 8 draw no shadow around a borderless window: keep a one-pixel frame.
    s.frame.legacyFrame = platform::systemInfo().version().isAtLeast(6, 2, 0) ? 0 : 1;
    s.options = webhost::WindowOptions{false, true, true, 0, false, 30};
    s.singleApp = true;
    s.startUrl = QString::fromLatin1(kUiServer) + QLatin1String(kStartPath);
    return s;
}

int run(int argc, char** argv) {
    setIdentity();
    QApplication application(argc, argv);
    // The main window ends the run when it is destroyed (closeAsQuit), not Qt's window count.
    QApplication::setQuitOnLastWindowClosed(false);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    process::installCrashHandler();
    if (!platformReady()) {
        return 1;
    }
    // Read before the engine starts: the engine's host mapping is fixed when it starts.
    const webhost::StartupSettings settings = loadSettings();
    if (!webhost::loadEngine(webhost::programFolder(), settings.window.host)) {
        return 1;
    }
    const EngineUse engineUse;
    // Loads the saved download folder before any page can ask for it.
    downloads::User::instance();
    webhost::SingleInstance instance;
    if (settings.singleApp && instance.anotherInstanceRunning(settings.product.productName,
                                                              settings.window.windowClass)) {
        return 0;
    }
    if (!createMainWindow(settings)) {
        return 1;
    }
    return QApplication::exec();
}

void endProcess(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace app
