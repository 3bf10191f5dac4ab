// The process tests use the platform accessors: a simulated PC of their own, created from the
// default profile on first use, unless the run names one.
#include <QTemporaryDir>

#include "TestMain.h"

namespace {

const bool prepared = registerProcessSetup([] {
    static QTemporaryDir machine;
    qputenv("CORVANTA_MACHINE", machine.filePath(QStringLiteral("machine")).toUtf8());
});

}  // namespace
