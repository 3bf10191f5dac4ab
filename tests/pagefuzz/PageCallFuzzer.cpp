#include "PageCallFuzzer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <ctime>

#include "StandInView.h"
#include "mainwindow/CommandTable.h"
#include "mainwindow/MainBlkWindow.h"
#include "printers/PrinterMonitor.h"
#include "webhost/BaseWindow.h"
#include "webhost/EngineLoading.h"
#include "webhost/ShowCommand.h"
#include "webhost/WindowList.h"

using webhost::JsValue;

namespace {

constexpr char kHost[] = "http://fuzz.corvanta.test";
// Windows the calls opened are closed when there are more than this many.
constexpr int kMaxOpenedWindows = 4;
// How much of the arguments a failure report shows.
constexpr int kReportedArgumentBytes = 300;

// The page functions of the startup list: what the calls add to it is removed again after each
// batch, as a page cleans up after itself. Otherwise the Run key of the PC would only grow over
// a long run (thousands of names, values of a megabyte), and every later registry access with
// it.
constexpr char kAddStartupEntry[] = "addToStartupList";
constexpr char kDeleteStartupEntry[] = "deleteFromStartupList";

void removeStartupEntries(StandInView& view, QList<JsValue>& names) {
    for (const JsValue& name : names) {
        view.call(kDeleteStartupEntry, {name});
    }
    names.clear();
}

QByteArray describe(const QByteArray& name, const QList<JsValue>& args) {
    return name + JsValue::arrayOf(args).toWire().left(kReportedArgumentBytes);
}

}  // namespace

PageCallFuzzer::PageCallFuzzer() {
    m_scratch.path = m_scratchDir.path();
}

PageCallFuzzer::~PageCallFuzzer() {
    close();
}

bool PageCallFuzzer::open(QString* error) {
    StandInView::install();
    if (!webhost::loadEngine(QCoreApplication::applicationDirPath(), kHost)) {
        *error = QStringLiteral("the stand-in engine did not load");
        return false;
    }
    m_window = new mainwindow::MainBlkWindow(QByteArray(kHost) + "/index.html");
    webhost::WindowSettings settings;
    settings.host = kHost;
    webhost::FrameFlags frame;
    webhost::WindowOptions options;
    options.closeAsQuit = false;
    if (!m_window->create(settings, frame, options, false, false, webhost::kSwShow)) {
        *error = QStringLiteral("the main window could not be created");
        m_window = nullptr;
        return false;
    }
    m_mainHandle = m_window->handle();
    // The change monitor runs as in the program, so the calls that change printers feed it.
    PrinterAPI::PrinterMonitor::instance().subscribeAndStart(m_window->handle(),
                                                             PrinterAPI::PrinterMonitor::kMaskAll);
    QCoreApplication::processEvents();
    return mainView() != nullptr;
}

StandInView* PageCallFuzzer::mainView() const {
    if (!m_window || !webhost::BaseWindow::fromHandle(m_mainHandle)) {
        return nullptr;
    }
    return dynamic_cast<StandInView*>(m_window->view());
}

QStringList PageCallFuzzer::functionsWithoutRule() const {
    QStringList names;
    if (StandInView* view = mainView()) {
        for (const auto& binding : view->bindings()) {
            if (!callRule(binding.first)) {
                names << QString::fromUtf8(binding.first);
            }
        }
    }
    return names;
}

QStringList PageCallFuzzer::tableCommandsNotBound() const {
    QStringList names;
    StandInView* view = mainView();
    int size = 0;
    const mainwindow::CommandRow* rows = mainwindow::commandTable(&size);
    for (int i = 0; i < size; ++i) {
        if (rows[i].handler && (!view || !view->has(rows[i].name))) {
            names << QString::fromLatin1(rows[i].name);
        }
    }
    return names;
}

QList<qint64> PageCallFuzzer::liveHandles() const {
    QList<qint64> handles;
    for (webhost::WindowHandle handle : webhost::windowList::handles()) {
        handles << handle;
    }
    return handles;
}

void PageCallFuzzer::closeOpenedWindows() {
    for (webhost::WindowHandle handle : webhost::windowList::handles()) {
        if (handle == m_mainHandle) {
            continue;
        }
        if (webhost::BaseWindow* window = webhost::BaseWindow::fromHandle(handle)) {
            window->destroyWindow();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

PageCallFuzzer::Figures PageCallFuzzer::run(int calls, quint32 seed, const Progress& progress,
                                            int batch) {
    Figures figures;
    StandInView* view = mainView();
    if (!view) {
        figures.failure = QStringLiteral("no main window");
        return figures;
    }
    ArgumentMaker maker(seed);
    maker.setLiveHandles([this] { return liveHandles(); });

    // The weighted list of what may be called.
    QList<QByteArray> names;
    for (const auto& binding : view->bindings()) {
        if (const CallRule* rule = callRule(binding.first)) {
            for (int i = 0; i < rule->weight; ++i) {
                names << binding.first;
            }
        }
    }
    QElapsedTimer timer;
    timer.start();
    qint64 batchStart = 0;
    std::clock_t batchCpuStart = std::clock();
    Batch current;
    QElapsedTimer callTimer;
    QList<JsValue> addedStartupNames;
    const int windowsBefore = liveHandles().size();
    for (int i = 0; i < calls; ++i) {
        // Now and then a window the calls opened gets the call instead of the main window.
        StandInView* target = view;
        const QList<StandInView*> views = StandInView::views();
        if (views.size() > 1 && maker.oneIn(5)) {
            target = maker.pick(views);
        }
        QByteArray name = maker.pick(names);
        if (!target->has(name)) {
            target = view;
        }
        const CallRule* rule = callRule(name);
        const QList<JsValue> args =
            rule->arguments ? rule->arguments(maker, m_scratch) : maker.anyArguments();
        const int windows = liveHandles().size();
        callTimer.start();
        target->call(name, args);
        if (name == kAddStartupEntry && !args.isEmpty()) {
            addedStartupNames << args.first();
        }
        ++figures.calls;
        ++figures.callsByFunction[name];
        figures.windowsOpened += qMax(0, liveHandles().size() - windows);
        // What the call started reports through posted messages; they are handled now.
        QCoreApplication::processEvents();
        if (callTimer.elapsed() > current.slowestMilliseconds) {
            current.slowestMilliseconds = callTimer.elapsed();
            current.slowestCall = name;
        }
        if (!mainView()) {
            figures.failure = QStringLiteral("the main window is gone after ") +
                              QString::fromUtf8(describe(name, args));
            break;
        }
        if (liveHandles().size() - windowsBefore > kMaxOpenedWindows) {
            closeOpenedWindows();
        }
        if (batch > 0 && figures.calls % batch == 0) {
            removeStartupEntries(*view, addedStartupNames);
        }
        if (progress && batch > 0 && figures.calls % batch == 0) {
            const qint64 now = timer.elapsed();
            current.callsSoFar = figures.calls;
            current.milliseconds = now - batchStart;
            current.cpuMilliseconds = (std::clock() - batchCpuStart) * 1000 / CLOCKS_PER_SEC;
            progress(current);
            batchStart = now;
            batchCpuStart = std::clock();
            current = Batch();
        }
    }
    closeOpenedWindows();
    removeStartupEntries(*view, addedStartupNames);
    figures.milliseconds = timer.elapsed();
    return figures;
}

void PageCallFuzzer::close() {
    if (!m_window) {
        return;
    }
    PrinterAPI::PrinterMonitor::instance().stop();
    closeOpenedWindows();
    if (webhost::BaseWindow::fromHandle(m_mainHandle)) {
        m_window->destroyWindow();
    }
    m_window = nullptr;
    // Threads the calls started (captures, connections, package runs) report to windows that
    // are gone now; their messages are dropped and freed.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
