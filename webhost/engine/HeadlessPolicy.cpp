#include "HeadlessPolicy.h"

#include <QTextStream>

namespace webhost::headless {

namespace {
constexpr const char* kVariable = "CORVANTA_HEADLESS";
constexpr const char* kReject = "reject";
}  // namespace

bool isHeadless() {
    return !qEnvironmentVariableIsEmpty(kVariable);
}

bool accepts() {
    return qEnvironmentVariable(kVariable) != QLatin1String(kReject);
}

void log(const QString& kind, const QString& text, bool accepted) {
    QTextStream(stderr) << "headless page " << kind << " answered "
                        << (accepted ? "accept" : "reject") << ": " << text << '\n';
}

}  // namespace webhost::headless
