// Measures the bridge against the engine's bare mechanisms, side by side in one run:
// synchronous page->native calls through bound functions against bare prompt() round trips,
// and start-to-page-loaded of a view made by WebEngine against a bare QWebEngineView.
// The calls are timed in alternating rounds after a warm-up of both pages, so that neither side
// alone pays for the engine still settling after the view start-ups (the last view's first
// frames, the teardown of the views replaced) or for a cold page script.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>
#include <functional>

#include "WebView.h"

namespace {

constexpr int kCallRounds = 5;
constexpr int kCallsPerRound = 200;
constexpr int kWarmUpCalls = 50;
constexpr int kStartRuns = 9;
constexpr const char* kHost = "http://corvanta.bench";
constexpr const char* kPageUrl = "http://corvanta.bench/bench.html";
constexpr double kBridgeTarget = 1.5;
constexpr double kStartTarget = 1.3;

const QByteArray kPage = R"(<!doctype html><html><head><meta charset="utf-8"><title>bench</title>
<script>
function timeBridge(n) {
  var start = performance.now();
  for (var i = 0; i < n; ++i) { ping(i, 'text'); }
  return performance.now() - start;
}
function timePrompt(n) {
  var start = performance.now();
  for (var i = 0; i < n; ++i) { prompt('x', 'text'); }
  return performance.now() - start;
}
</script></head><body>bench</body></html>)";

// A page that answers every prompt with a constant, without any bridge work.
class ConstantPromptPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString* result) override {
        *result = QStringLiteral("1");
        return true;
    }
};

void waitUntil(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double bridgeViewStartMs(QWidget* parent, std::unique_ptr<webhost::WebView>* keep) {
    QElapsedTimer timer;
    timer.start();
    auto view = webhost::WebEngine::createView(parent, 0, 0, 400, 300);
    bool loaded = false;
    webhost::ViewEvents events;
    events.loadingFinished = [&loaded] { loaded = true; };
    view->setEvents(events);
    view->bindFunction(
        "ping", [](const webhost::JsCall& call, void*) { return call.arg(0); }, nullptr, 2);
    view->loadUrl(kPageUrl);
    waitUntil([&loaded] { return loaded; });
    const double ms = timer.nsecsElapsed() / 1e6;
    *keep = std::move(view);
    return ms;
}

double bareViewStartMs(QWidget* parent, QWebEngineProfile* profile,
                       std::unique_ptr<QWebEngineView>* keep) {
    QElapsedTimer timer;
    timer.start();
    auto view = std::make_unique<QWebEngineView>(parent);
    auto* page = new ConstantPromptPage(profile, view.get());
    view->setPage(page);
    bool loaded = false;
    QObject::connect(page, &QWebEnginePage::loadFinished, [&loaded] { loaded = true; });
    view->load(QUrl(kPageUrl));
    waitUntil([&loaded] { return loaded; });
    const double ms = timer.nsecsElapsed() / 1e6;
    *keep = std::move(view);
    return ms;
}

using CallTimer = std::function<double(int calls)>;

double pageTimingMs(QWebEnginePage* page, const QString& script) {
    double ms = -1;
    page->runJavaScript(script, [&ms](const QVariant& result) { ms = result.toDouble(); });
    waitUntil([&ms] { return ms >= 0; });
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("html"));
    QFile page(folder.filePath(QStringLiteral("html/bench.html")));
    page.open(QIODevice::WriteOnly);
    page.write(kPage);
    page.close();

    QString error;
    if (!webhost::WebEngine::load(folder.path(), kHost, &error)) {
        out << "engine did not load: " << error << '\n';
        return 1;
    }
    QWidget window;
    window.resize(400, 300);
    window.show();
    auto* bareProfile = new QWebEngineProfile(&app);

    // Warm-up: the first view starts the engine itself, which neither side should pay for.
    std::unique_ptr<webhost::WebView> bridgeView;
    std::unique_ptr<QWebEngineView> bareView;
    bridgeViewStartMs(&window, &bridgeView);
    bareViewStartMs(&window, bareProfile, &bareView);

    QList<double> bridgeStarts;
    QList<double> bareStarts;
    for (int run = 0; run < kStartRuns; ++run) {
        bridgeStarts.append(bridgeViewStartMs(&window, &bridgeView));
        bareStarts.append(bareViewStartMs(&window, bareProfile, &bareView));
    }

    auto* bridgePage = qobject_cast<QWebEngineView*>(bridgeView->widget())->page();
    const CallTimer timeBridge = [bridgePage](int calls) {
        return pageTimingMs(bridgePage, QStringLiteral("timeBridge(%1)").arg(calls));
    };
    const CallTimer timeBare = [page = bareView->page()](int calls) {
        return pageTimingMs(page, QStringLiteral("timePrompt(%1)").arg(calls));
    };
    timeBridge(kWarmUpCalls);
    timeBare(kWarmUpCalls);
    QList<double> bridgeRounds;
    QList<double> bareRounds;
    for (int round = 0; round < kCallRounds; ++round) {
        const bool bridgeFirst = round % 2 == 0;
        const double first = (bridgeFirst ? timeBridge : timeBare)(kCallsPerRound);
        const double second = (bridgeFirst ? timeBare : timeBridge)(kCallsPerRound);
        bridgeRounds.append(bridgeFirst ? first : second);
        bareRounds.append(bridgeFirst ? second : first);
    }
    const double bridgeMs = median(bridgeRounds);
    const double bareMs = median(bareRounds);

    const double callRatio = bridgeMs / bareMs;
    const double startRatio = median(bridgeStarts) / median(bareStarts);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(1);
    out << "synchronous calls (median of " << kCallRounds << " alternating rounds of "
        << kCallsPerRound << "): bridge " << bridgeMs * 1000 / kCallsPerRound
        << " us/call, bare prompt " << bareMs * 1000 / kCallsPerRound << " us/call\n";
    out << "view start to page loaded (median of " << kStartRuns << "): WebEngine "
        << median(bridgeStarts) << " ms, bare QWebEngineView " << median(bareStarts) << " ms\n";
    out.setRealNumberPrecision(2);
    out << "ratio bridge/bare calls " << callRatio << " (target <= " << kBridgeTarget << ")\n";
    out << "ratio start-up WebEngine/bare " << startRatio << " (target <= " << kStartTarget
        << ")\n";
    return 0;
}
