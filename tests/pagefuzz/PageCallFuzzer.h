#pragma once

#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "CallRules.h"

namespace mainwindow {
class MainBlkWindow;
}
class StandInView;

// Calls the page functions of a main window on the simulated PC the way a page could, with
// random arguments (CallRules says what is safe), and checks after each call that the window is
// still there. The functions are those bound on the window's view: the command table walked by
// the window and the framework's functions; windows the calls open get their framework
// functions called too, and are closed again. Needs the process PC and a QApplication; the
// views are stand-ins (no browser).
class PageCallFuzzer {
public:
    struct Figures {
        int calls = 0;
        int windowsOpened = 0;
        qint64 milliseconds = 0;
        QMap<QByteArray, int> callsByFunction;
        QString failure;  // the first call after which something was wrong
    };

    PageCallFuzzer();
    ~PageCallFuzzer();

    // Opens the main window. False (and why) when it cannot be opened.
    bool open(QString* error);
    // Page functions bound on the main window without a rule in CallRules.
    QStringList functionsWithoutRule() const;
    // Commands of the command table that have a handler but are not bound on the view.
    QStringList tableCommandsNotBound() const;
    // Hears after every `batch` calls how long that batch took and its slowest call: a run that
    // slows down shows it here long before it ends, and which call it is.
    struct Batch {
        int callsSoFar = 0;
        qint64 milliseconds = 0;
        qint64 cpuMilliseconds = 0;  // of the whole process: what other load on the machine
                                     // does not change
        QByteArray slowestCall;
        qint64 slowestMilliseconds = 0;
    };
    using Progress = std::function<void(const Batch& batch)>;
    Figures run(int calls, quint32 seed, const Progress& progress = {}, int batch = 1000);
    // Closes every window and lets the threads started by the calls report.
    void close();

private:
    StandInView* mainView() const;
    QList<qint64> liveHandles() const;
    void closeOpenedWindows();

    QTemporaryDir m_scratchDir;
    ScratchFolder m_scratch;
    mainwindow::MainBlkWindow* m_window = nullptr;
    qint64 m_mainHandle = 0;
};
