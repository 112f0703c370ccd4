// The diagnostic hook of the window and password logic.
#pragma once

#include <functional>

// Takes one fixed English sentence and, unless a test listens, does nothing with it.
void trace(const char* text);

// Lets a test hear the sentences; an empty function stops listening.
void set_trace_listener(std::function<void(const char*)> listener);
