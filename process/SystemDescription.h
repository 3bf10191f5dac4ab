#pragma once

#include <QString>

#include "ProductSection.h"

namespace process {

// The processor architecture, the system's version numbers and "NT" as family word, for example
// "amd64 NT 10.0.19045".
QString kernelVersion();

// One text per selector:
//   0 the program's file version      1 the product name       2 the product's "PackageName"
//   3 the machine identifier          4 "true"/"false": WOW64  5 the system's version
//   6 "5"   7 kernelVersion()   8 "1.0.0.0"   9 the product channel   10 and above: empty
QString baseSystemInfo(int selector, const ProductSection& product);

}  // namespace process
