// The completion semaphore: one count per finished buffer, waits that a stop request ends.
#include "player/completion_semaphore.h"

#include <chrono>

void CompletionSemaphore::create() {
    std::lock_guard lock(mutex_);
    count_ = 0;
    open_ = true;
    counts_ = {};
}

void CompletionSemaphore::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    count_ = 0;
}

void CompletionSemaphore::release() {
    {
        std::lock_guard lock(mutex_);
        if (!open_ || count_ >= kMaximum) return;
        ++count_;
        ++counts_.releases;
    }
    cv_.notify_all();
}

SemaphoreWait CompletionSemaphore::wait(DWORD ms, const StopSignal* stop) {
    std::unique_lock lock(mutex_);
    const bool woke = cv_.wait_for(lock, std::chrono::milliseconds(ms),
                                   [&] { return count_ > 0 || (stop && stop->raised()); });
    if (count_ > 0) {
        --count_;
        ++counts_.waits;
        return SemaphoreWait::Signaled;
    }
    if (woke) {
        ++counts_.stopped;
        return SemaphoreWait::Stopped;
    }
    ++counts_.timeouts;
    return SemaphoreWait::TimedOut;
}

void CompletionSemaphore::wake_waiters() {
    { std::lock_guard lock(mutex_); }
    cv_.notify_all();
}

SemaphoreCounts CompletionSemaphore::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

CompletionSemaphore& completion_semaphore() {
    static CompletionSemaphore semaphore;
    return semaphore;
}
