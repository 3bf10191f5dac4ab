#include "ProductSettings.h"

#include <QMutex>
#include <QMutexLocker>

namespace webhost {
namespace {

struct Published {
    QMutex mutex;
    process::ProductSection product;
};

Published& published() {
    static Published instance;
    return instance;
}

}  // namespace

process::ProductSection productSection() {
    QMutexLocker lock(&published().mutex);
    return published().product;
}

void publishProductSection(const process::ProductSection& product) {
    QMutexLocker lock(&published().mutex);
    published().product = product;
}

}  // namespace webhost
