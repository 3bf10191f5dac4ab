#pragma once

#include <QByteArray>
#include <QList>

#include <algorithm>

#include "mainwindow/MainBlkWindow.h"

// A page function call that the test page recorded: its name and its arguments as the bridge
// writes them.
struct PageCall {
    QByteArray name;
    QByteArray args;
};

// The main window with one more page function, "recordCall", through which a test page reports
// every call of a page function it defines.
class RecordingWindow : public mainwindow::MainBlkWindow {
public:
    using MainBlkWindow::MainBlkWindow;
    QList<PageCall> calls;

    int count(const QByteArray& name) const {
        return int(std::count_if(calls.begin(), calls.end(),
                                 [&name](const PageCall& call) { return call.name == name; }));
    }

protected:
    void bindPageFunctions() override {
        MainBlkWindow::bindPageFunctions();
        view()->bindFunction(
            "recordCall",
            [this](const webhost::JsCall& call, void*) {
                calls.append({call.utf8Arg(0), call.arg(1).toWire()});
                return webhost::JsValue();
            },
            nullptr, 2);
    }
};
