// pagefuzz_long [CALLS [SEED]]: the page-call fuzzer for as many calls as asked (100,000 by
// default) on the office fixture PC, printing how many calls each function got. Exits 1 when a
// call broke the main window; sanitizer findings end it on their own.
#include <QApplication>
#include <QTextStream>

#include "PageCallFuzzer.h"
#include "PcFolder.h"

namespace {
constexpr int kDefaultCalls = 100000;
constexpr quint32 kDefaultSeed = 16;
// Calls between two progress lines on stderr.
constexpr int kBatch = 1000;
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (qEnvironmentVariableIsEmpty("CORVANTA_HEADLESS")) {
        qputenv("CORVANTA_HEADLESS", "accept");
    }
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int calls = args.size() > 1 ? args[1].toInt() : kDefaultCalls;
    const quint32 seed = args.size() > 2 ? args[2].toUInt() : kDefaultSeed;
    QTextStream out(stdout);
    fixtureAsProcessPc(QStringLiteral("office-pc"));
    PageCallFuzzer fuzzer;
    QString error;
    if (!fuzzer.open(&error)) {
        out << "cannot open the main window: " << error << "\n";
        return 1;
    }
    const QStringList withoutRule = fuzzer.functionsWithoutRule();
    if (!withoutRule.isEmpty()) {
        out << "bound without a rule (not called): " << withoutRule.join(", ") << "\n";
    }
    QTextStream err(stderr);
    const PageCallFuzzer::Figures figures = fuzzer.run(
        calls, seed,
        [&err](const PageCallFuzzer::Batch& batch) {
            err << batch.callsSoFar << " calls, last " << kBatch << " in " << batch.milliseconds
                << " ms (cpu " << batch.cpuMilliseconds << " ms), slowest " << batch.slowestCall
                << " " << batch.slowestMilliseconds << " ms" << Qt::endl;
        },
        kBatch);
    fuzzer.close();
    for (auto it = figures.callsByFunction.cbegin(); it != figures.callsByFunction.cend(); ++it) {
        out << qSetFieldWidth(36) << Qt::left << it.key() << qSetFieldWidth(0) << it.value()
            << "\n";
    }
    out << figures.calls << " calls of " << figures.callsByFunction.size() << " functions, "
        << figures.windowsOpened << " windows opened, " << figures.milliseconds << " ms, seed "
        << seed << "\n";
    if (!figures.failure.isEmpty()) {
        out << "FAILED: " << figures.failure << "\n";
        return 1;
    }
    return 0;
}
