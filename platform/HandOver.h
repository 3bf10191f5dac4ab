#pragma once

// Hand-overs between threads that happen inside Qt, which ThreadSanitizer cannot see: Qt is not
// built with it. Its event queue hands an event from the posting thread to the handling thread
// under a lock of its own, and QThread::wait() learns of a thread's end the same way. These
// calls tell ThreadSanitizer of such a hand-over, so that it sees what Qt guarantees (everything
// written before it is visible after it) and still reports every race of ours on either side.
// Without ThreadSanitizer they are nothing.

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

namespace platform::handOver {

// On the thread that hands `object` over: just before an event is posted, or as a thread's
// last step before it ends.
inline void giving([[maybe_unused]] const void* object) {
#ifdef CORVANTA_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(object));
#endif
}

// On the thread that takes it: before an event is read (handled, or deleted unhandled), or
// once the thread's end has been waited for.
inline void taken([[maybe_unused]] const void* object) {
#ifdef CORVANTA_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(object));
#endif
}

}  // namespace platform::handOver
