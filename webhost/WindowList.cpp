#include "WindowList.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace webhost::windowList {
namespace {

// Handles start well above zero (0 means "no window" everywhere) and step by two, as Windows'
// do, so an integer that happens to be small is never mistaken for a window.
constexpr WindowHandle kFirstHandle = 0x10002;
constexpr WindowHandle kHandleStep = 2;

struct Entry {
    WindowHandle handle;
    MessageTarget* window;
    QString windowClass;
};

// Looked up from the UI thread and, through postMessage, checked from workers: one lock.
struct List {
    std::mutex mutex;
    std::vector<Entry> entries;
};

// Never destroyed: a detached worker may still post to a window while the process exits, and
// must then find no window rather than a destroyed list.
List& list() {
    static List* const instance = new List;
    return *instance;
}

}  // namespace

WindowHandle allocateHandle() {
    static std::atomic<WindowHandle> next{kFirstHandle};
    return next.fetch_add(kHandleStep);
}

void add(WindowHandle handle, MessageTarget* window, const QString& windowClass) {
    const std::lock_guard<std::mutex> lock(list().mutex);
    list().entries.push_back({handle, window, windowClass});
}

void remove(WindowHandle handle) {
    const std::lock_guard<std::mutex> lock(list().mutex);
    auto& entries = list().entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [handle](const Entry& e) { return e.handle == handle; }),
                  entries.end());
}

MessageTarget* find(WindowHandle handle) {
    const std::lock_guard<std::mutex> lock(list().mutex);
    for (const Entry& e : list().entries) {
        if (e.handle == handle) {
            return e.window;
        }
    }
    return nullptr;
}

bool contains(WindowHandle handle) {
    return find(handle) != nullptr;
}

WindowHandle findByClass(const QString& windowClass) {
    const std::lock_guard<std::mutex> lock(list().mutex);
    for (const Entry& e : list().entries) {
        // Class names compare without regard to letter case, as Windows' atoms do.
        if (e.windowClass.compare(windowClass, Qt::CaseInsensitive) == 0) {
            return e.handle;
        }
    }
    return 0;
}

std::vector<WindowHandle> handles() {
    const std::lock_guard<std::mutex> lock(list().mutex);
    std::vector<WindowHandle> result;
    for (const Entry& e : list().entries) {
        result.push_back(e.handle);
    }
    return result;
}

}  // namespace webhost::windowList
