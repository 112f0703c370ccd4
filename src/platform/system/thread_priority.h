// Thread priorities with Windows' levels, and thread names, for the player's worker threads.
#pragma once

#include <cstdint>

#include "platform/win/win.h"

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;

// The system's number of a thread, as the thread itself learns it; 0 names no thread.
using SystemThreadId = std::int64_t;
SystemThreadId current_system_thread_id();

// Sets a running thread's priority, relative to the process's own. Lowering is always allowed;
// raising above the process's level needs privileges, and without them the thread gets the
// highest level it may have (at best the process's own). FALSE when the level asked for was not
// reached.
BOOL SetThreadPriority(SystemThreadId thread, int priority);

// Names the calling thread for process lists and debuggers (the first 15 characters count).
void set_current_thread_name(const char* name);
