// The diagnostic hook: silent unless a listener is set.
#include "saver/trace.h"

#include <utility>

namespace {
std::function<void(const char*)> g_listener;
}

void trace(const char* text) {
    if (g_listener) g_listener(text);
}

void set_trace_listener(std::function<void(const char*)> listener) {
    g_listener = std::move(listener);
}
