#include "ProgramFolder.h"

#include <QCoreApplication>

namespace webhost {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString programFilePath() {
    return QCoreApplication::applicationFilePath();
}

}  // namespace webhost
