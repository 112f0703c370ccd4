// A worker thread of the player: a std::thread whose priority can be changed while it runs.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "platform/system/thread_priority.h"

class WorkerThread {
public:
    WorkerThread() = default;
    // A thread still held here at the end of the process is left to it.
    ~WorkerThread();
    WorkerThread(WorkerThread&& other) noexcept = default;
    WorkerThread& operator=(WorkerThread&& other) noexcept;

    // Starts body on a new thread with this name, which first takes the priority given.
    void start(const char* name, int priority, std::function<void()> body);
    // Best effort: the system may refuse a raise (see SetThreadPriority).
    void set_priority(int priority);

    bool running() const { return thread_.joinable(); }
    bool is_current() const { return thread_.get_id() == std::this_thread::get_id(); }
    // Waits for the thread to end and empties the handle.
    void join();

private:
    std::thread thread_;
    // Written by the thread itself at its start; 0 until then.
    std::shared_ptr<std::atomic<SystemThreadId>> system_id_;
};
