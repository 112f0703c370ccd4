// Library loading through dlopen, and the version query, with a seam for tests.
#include <dlfcn.h>

#include <cstring>
#include <utility>

#include "platform/system/library.h"

namespace {
SystemHooks g_hooks;
}

void install_system_hooks(SystemHooks hooks) { g_hooks = std::move(hooks); }

HMODULE LoadLibraryA(const char* name) {
    if (g_hooks.load) return g_hooks.load(name);
    if (!name) return nullptr;
    return static_cast<HMODULE>(dlopen(name, RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (g_hooks.find) return g_hooks.find(module, name);
    if (!module || !name) return nullptr;
    void* sym = dlsym(module, name);
    FARPROC f = nullptr;
    static_assert(sizeof(f) == sizeof(sym));
    std::memcpy(&f, &sym, sizeof f);
    return f;
}

BOOL FreeLibrary(HMODULE module) {
    if (g_hooks.free) return g_hooks.free(module);
    if (!module) return 0;
    return dlclose(module) == 0 ? 1 : 0;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return 0;
    info->dwMajorVersion = 5;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 2600;
    info->dwPlatformId = g_hooks.platform_id ? g_hooks.platform_id() : VER_PLATFORM_WIN32_NT;
    info->szCSDVersion[0] = '\0';
    return 1;
}
