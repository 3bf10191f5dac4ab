#pragma once

#include "webhost/BaseBlkWinow.h"

namespace app {

// The main window until the command surface of the main window exists: a plain web window
// with the framework's page functions. Replacing it is one line in Startup.cpp.
class PlaceholderMainWindow : public webhost::BaseBlkWinow {
public:
    using BaseBlkWinow::BaseBlkWinow;
};

}  // namespace app
