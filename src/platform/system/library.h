// Loading a library by name and finding a function in it, and the system version query.
#pragma once

#include <functional>

#include "platform/win/win.h"

struct HMODULE__;
using HMODULE = HMODULE__*;
using FARPROC = void (*)();

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

HMODULE LoadLibraryA(const char* name);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
// Linux reports the NT family: the desktop's screen locker owns passwords there.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// The test seam: replaces the loader and the version query for the whole process; an empty
// function restores the real one.
struct SystemHooks {
    std::function<HMODULE(const char*)> load;
    std::function<FARPROC(HMODULE, const char*)> find;
    std::function<BOOL(HMODULE)> free;
    std::function<DWORD()> platform_id;
};
void install_system_hooks(SystemHooks hooks);
