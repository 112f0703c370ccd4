// The password calls, bound at run time to the system's password libraries when they exist.
#include "saver/password.h"

#include <cstdint>

#include "platform/system/library.h"
#include "saver/trace.h"

namespace {
using VerifyProc = BOOL (*)(HWND);
using ChangeProc = DWORD (*)(const char*, HWND, DWORD, void*);
}  // namespace

bool verify_password(HWND owner) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return true;

    HMODULE library = LoadLibraryA("PASSWORD.CPL");
    if (!library) {
        trace("Unable to load PASSWORD.CPL. Aborting");
        return true;
    }
    auto verify = reinterpret_cast<VerifyProc>(GetProcAddress(library, "VerifyScreenSavePwd"));
    if (!verify) {
        trace("Unable to get VerifyPwProc address. Aborting");
        FreeLibrary(library);
        return true;
    }
    trace("About to call VerifyPwProc");
    BOOL ok = verify(owner);
    FreeLibrary(library);
    return ok != 0;
}

void change_password(HWND parent) {
    HMODULE library = LoadLibraryA("MPR.DLL");
    if (!library) {
        trace("MPR.DLL not found: cannot change password.");
        return;
    }
    auto change = reinterpret_cast<ChangeProc>(GetProcAddress(library, "PwdChangePasswordA"));
    if (!change) {
        FreeLibrary(library);
        trace("PwdChangeProc not found: cannot change password");
        return;
    }
    change("SCRSAVE", parent, 0, nullptr);
    FreeLibrary(library);
}
