// Prints what queryShareEnv answers on the PC in $CORVANTA_MACHINE, as a JSON array.
#include <QCoreApplication>
#include <QTextStream>

#include "sharing/ShareEnvironment.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QStringList values;
    for (std::int32_t value : sharing::ShareEnvironment::instance().queryAll()) {
        values << QString::number(value);
    }
    QTextStream(stdout) << '[' << values.join(QLatin1Char(',')) << "]\n";
    return 0;
}
