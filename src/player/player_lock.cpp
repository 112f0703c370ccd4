// The player's lock: a counting lock whose one waiting hand-over a stop request can call off.
#include "player/player_lock.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct LockState {
    std::mutex mutex;
    std::condition_variable cv;
    std::thread::id owner;
    int depth = 0;
};

LockState& lock_state() {
    static LockState s;
    return s;
}

bool free_for(const LockState& s, std::thread::id me) { return s.depth == 0 || s.owner == me; }

void take(LockState& s, std::thread::id me) {
    s.owner = me;
    ++s.depth;
}

}  // namespace

PlayerLock::PlayerLock() {
    LockState& s = lock_state();
    const auto me = std::this_thread::get_id();
    std::unique_lock lock(s.mutex);
    s.cv.wait(lock, [&] { return free_for(s, me); });
    take(s, me);
}

PlayerLock::~PlayerLock() { unlock_player(); }

bool lock_player_unless_stopped(const StopSignal& stop) {
    LockState& s = lock_state();
    const auto me = std::this_thread::get_id();
    std::unique_lock lock(s.mutex);
    s.cv.wait(lock, [&] { return stop.raised() || free_for(s, me); });
    if (stop.raised()) return false;
    take(s, me);
    return true;
}

void unlock_player() {
    LockState& s = lock_state();
    {
        std::lock_guard lock(s.mutex);
        if (--s.depth == 0) s.owner = std::thread::id();
    }
    s.cv.notify_all();
}

void wake_player_lock_waiters() {
    LockState& s = lock_state();
    { std::lock_guard lock(s.mutex); }
    s.cv.notify_all();
}
