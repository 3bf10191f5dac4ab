#pragma once

#include <QString>
#include <vector>

#include "WindowMessages.h"

namespace webhost {

// The process-wide list of (handle, window) pairs. A window enters it when its native window is
// created and leaves it when that is destroyed; a handle is never reused within a process, so a
// stale handle from the page or a worker can only miss, never reach another window.
//
// Handles come from a process-wide counter rather than from QWidget::winId(): window-system ids
// depend on the platform plugin (offscreen, xcb, windows), may exceed a script integer, and are
// only created when a widget is shown.
namespace windowList {

WindowHandle allocateHandle();
void add(WindowHandle handle, MessageTarget* window, const QString& windowClass);
void remove(WindowHandle handle);
MessageTarget* find(WindowHandle handle);
bool contains(WindowHandle handle);
// FindWindowW by class name: the first window of that class, 0 when none.
WindowHandle findByClass(const QString& windowClass);
std::vector<WindowHandle> handles();

}  // namespace windowList

}  // namespace webhost
