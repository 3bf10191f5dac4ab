#pragma once

#include "process/ProductSection.h"

// The process-wide product section: its defaults until config.inf has been read, then what the
// file says. Read from any thread (a copy is answered).
namespace webhost {

process::ProductSection productSection();
void publishProductSection(const process::ProductSection& product);

}  // namespace webhost
