#include <QtTest>

#include "PageCallFuzzer.h"
#include "PcFolder.h"
#include "TestMain.h"

namespace {

// A few seconds of calls in the ordinary test run; pagefuzz_long makes as many as it is told.
constexpr int kShortRunCalls = 1500;
constexpr quint32 kDefaultSeed = 16;

quint32 seed() {
    bool ok = false;
    const quint32 fromEnvironment = qEnvironmentVariable("CORVANTA_PAGEFUZZ_SEED").toUInt(&ok);
    return ok ? fromEnvironment : kDefaultSeed;
}

}  // namespace

class PageFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        fixtureAsProcessPc(QStringLiteral("office-pc"));
        QString error;
        QVERIFY2(m_fuzzer.open(&error), qPrintable(error));
    }

    // A command or framework function bound without a rule would never be called: it needs
    // its line in CallRules.cpp (with safe arguments if it starts programs or reaches the
    // network).
    void everyBoundFunctionHasARule() { QCOMPARE(m_fuzzer.functionsWithoutRule(), QStringList()); }

    void everyCommandOfTheTableIsBound() {
        QCOMPARE(m_fuzzer.tableCommandsNotBound(), QStringList());
    }

    void randomCallsLeaveTheWindowWorking() {
        const PageCallFuzzer::Figures figures = m_fuzzer.run(kShortRunCalls, seed());
        QVERIFY2(figures.failure.isEmpty(), qPrintable(figures.failure));
        QCOMPARE(figures.calls, kShortRunCalls);
        qInfo("%d calls of %d functions in %lld ms (seed %u)", figures.calls,
              int(figures.callsByFunction.size()), figures.milliseconds, seed());
    }

    void cleanupTestCase() { m_fuzzer.close(); }

private:
    PageCallFuzzer m_fuzzer;
};

namespace {
const bool registered = registerTest<PageFuzzTest>("PageFuzzTest");
}

#include "PageFuzzTest.moc"
