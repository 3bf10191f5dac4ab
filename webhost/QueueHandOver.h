#pragma once

// Qt's event queue hands an event from the thread that posts it to the thread that handles it
// under a lock of its own, which ThreadSanitizer cannot see: Qt is not built with it. These two
// calls tell it of that hand-over, so that it sees what the queue guarantees (everything written
// before the post is visible to the handler) and still sees every race of ours. Without
// ThreadSanitizer they are nothing.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CORVANTA_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define CORVANTA_THREAD_SANITIZER 1
#endif

#ifdef CORVANTA_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace webhost::queueHandOver {

// On the posting thread, just before the event is posted.
inline void posting([[maybe_unused]] const void* event) {
#ifdef CORVANTA_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(event));
#endif
}

// On the handling thread, before the event is read (handled, or deleted unhandled).
inline void received([[maybe_unused]] const void* event) {
#ifdef CORVANTA_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(event));
#endif
}

}  // namespace webhost::queueHandOver
