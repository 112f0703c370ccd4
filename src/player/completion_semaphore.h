// The completion semaphore "MCISemaphore": counts the wave-out buffers the device has finished.
#pragma once

#include "platform/win/win.h"
#include "player/stop_signal.h"

enum class SemaphoreWait { Signaled, TimedOut, Stopped };

// What the semaphore has seen since it was last created (for tests and measurements).
struct SemaphoreCounts {
    long releases = 0;
    long waits = 0;     // waits that took a count
    long timeouts = 0;  // waits that gave up after their time
    long stopped = 0;   // waits cut short by a stop request
};

// One for the process, as the completion callback has no instance to find it through.
class CompletionSemaphore {
public:
    static constexpr long kMaximum = 1024;

    // Count 0; a stop request no longer counts (each output creates it afresh).
    void create();
    void close();
    // Adds one finished buffer; ignored above the maximum and while closed.
    void release();
    // Takes one count, waiting at most ms milliseconds; returns early, without a count, once
    // `stop` (when given) is raised.
    SemaphoreWait wait(DWORD ms, const StopSignal* stop);
    // Wakes every waiter so that it looks at its stop request again.
    void wake_waiters();
    SemaphoreCounts counts() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    long count_ = 0;
    bool open_ = false;
    SemaphoreCounts counts_;
};

CompletionSemaphore& completion_semaphore();
