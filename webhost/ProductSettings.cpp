#include "ProductSettings.h"

#include <mutex>

namespace webhost {
namespace {

struct Published {
    std::mutex mutex;
    process::ProductSection product;
};

Published& published() {
    static Published instance;
    return instance;
}

}  // namespace

process::ProductSection productSection() {
    const std::lock_guard<std::mutex> lock(published().mutex);
    return published().product;
}

void publishProductSection(const process::ProductSection& product) {
    const std::lock_guard<std::mutex> lock(published().mutex);
    published().product = product;
}

}  // namespace webhost
