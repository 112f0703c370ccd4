// Thread priorities as Linux nice values of single threads, and thread names.
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/system/thread_priority.h"

namespace {

// Linux gives every thread its own nice value; one Windows step is five nice steps, so that
// "below normal" is heard as a real difference beside the drawing thread.
int nice_offset(int priority) {
    return -5 * std::clamp(priority, THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_HIGHEST);
}

int process_nice() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    return errno != 0 ? 0 : nice;
}

bool set_nice(SystemThreadId thread, int nice) {
    return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), std::clamp(nice, -20, 19)) == 0;
}

}  // namespace

SystemThreadId current_system_thread_id() {
    return static_cast<SystemThreadId>(syscall(SYS_gettid));
}

BOOL SetThreadPriority(SystemThreadId thread, int priority) {
    if (thread <= 0) return 0;
    const int base = process_nice();
    const int wanted = base + nice_offset(priority);
    if (set_nice(thread, wanted)) return 1;
    // Raising needs a privilege (or a nice limit) this process may lack: come as near as the
    // system allows, one step at a time up to the process's own level.
    for (int nice = wanted + 1; nice <= base; ++nice) {
        if (set_nice(thread, nice)) break;
    }
    return 0;
}

void set_current_thread_name(const char* name) {
    char short_name[16] = {};
    std::strncpy(short_name, name, sizeof short_name - 1);
    pthread_setname_np(pthread_self(), short_name);
}
