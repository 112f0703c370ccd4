// A worker thread of the player: start, priority, join.
#include "player/worker_thread.h"

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) thread_.detach();
}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
    if (this != &other) {
        if (thread_.joinable()) thread_.detach();
        thread_ = std::move(other.thread_);
        system_id_ = std::move(other.system_id_);
    }
    return *this;
}

void WorkerThread::start(const char* name, int priority, std::function<void()> body) {
    system_id_ = std::make_shared<std::atomic<SystemThreadId>>(0);
    thread_ = std::thread([id = system_id_, name, priority, body = std::move(body)] {
        const SystemThreadId self = current_system_thread_id();
        set_current_thread_name(name);
        // The thread sets its own priority before any work: the system knows a thread's number
        // only once it runs. Normal is set too, as a thread inherits its creator's level.
        SetThreadPriority(self, priority);
        id->store(self, std::memory_order_release);
        body();
    });
}

void WorkerThread::set_priority(int priority) {
    if (!system_id_) return;
    const SystemThreadId id = system_id_->load(std::memory_order_acquire);
    if (id != 0) SetThreadPriority(id, priority);
}

void WorkerThread::join() {
    if (thread_.joinable()) {
        // A thread cannot wait for itself; the player never asks it to (it retires instead).
        if (is_current()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
    system_id_.reset();
}
