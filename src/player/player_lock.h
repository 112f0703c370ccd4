// The player's lock: one at a time, the controller's operations on the main thread and the
// decoding thread's hand-over at the end of its file.
#pragma once

#include "player/stop_signal.h"

// Held by every controller operation for its whole run; operations nest (the lock counts).
class PlayerLock {
public:
    PlayerLock();
    ~PlayerLock();
    PlayerLock(const PlayerLock&) = delete;
    PlayerLock& operator=(const PlayerLock&) = delete;
};

// The decoding thread's way in: waits for the lock like PlayerLock, but gives up and returns
// false as soon as `stop` is raised. On true the caller must call unlock_player().
bool lock_player_unless_stopped(const StopSignal& stop);
void unlock_player();
// Makes every thread waiting in lock_player_unless_stopped look at its stop request again.
void wake_player_lock_waiters();
