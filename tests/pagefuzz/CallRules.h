#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "ArgumentMaker.h"

// What the fuzzer may pass to each page function. Most take any arguments; functions that
// start programs or reach the network get arguments that keep them on this machine: paths in
// the scratch folder, loopback addresses, programs that do not exist. A function whose name is
// not in the table is not called at all, and the fuzz test names it, so each new page function
// gets its rule when it is bound.
struct ScratchFolder {
    QString path;
    // A path in the scratch folder with no way out of it: mostly one of a few recurring
    // names, now and then a new one.
    QByteArray anyPath(ArgumentMaker& maker) const;
};

using SafeArguments = QList<webhost::JsValue> (*)(ArgumentMaker& maker,
                                                  const ScratchFolder& scratch);

struct CallRule {
    const char* name;
    // Relative chance of being picked: functions that start a program (a process per call)
    // are picked less often so that a run spends its calls on many functions.
    int weight;
    SafeArguments arguments;  // null: any arguments
};

// The rule for `name`, or null when the table has none.
const CallRule* callRule(const QByteArray& name);
