#pragma once

#include "webhost/JsValue.h"

namespace mainwindow {

class MainBlkWindow;

// What a command is bound with: nothing, the main window object, or the main window's native
// handle (for commands whose background job reports to it by message).
enum class BoundParameter { None, Window, Handle };

using CommandHandler = webhost::JsValue (*)(const webhost::JsCall& call, MainBlkWindow& window);

struct CommandRow {
    const char* name;
    BoundParameter bound;
    int declaredCount;
    CommandHandler handler;  // null: the subsystem is not part of this build yet
};

// The page's 43 commands in their binding order.
const CommandRow* commandTable(int* size);

// Binds every command that has a handler on the window's view.
void bindCommands(MainBlkWindow& window);

}  // namespace mainwindow
