// "Save List As": the save dialog, the saved file, and the configured playlist in the registry.
#include "saver/save_list_as.h"

#include <cstring>
#include <string>

#include "platform/dialogs/common_dialogs.h"
#include "platform/registry/registry.h"
#include "player/player_state.h"

namespace {

// The name chosen last in this process; the dialog starts from it.
constexpr DWORD kNameSize = 260;
char g_name[kNameSize];

constexpr char kSaverKey[] = "Software\\Velt\\Lumivex Saver";

// Stores the path as "Playlist", a string with its NUL; a key that cannot be opened stores nothing.
void store_configured_playlist(const char* path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExA(key, "Playlist", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(path),
                   static_cast<DWORD>(std::strlen(path) + 1));
    RegCloseKey(key);
}

}  // namespace

bool saveListAs(Playlist& list, HWND owner) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Playlists (.txt, .lst, .m3u)\0*.lst;*.m3u;*.txt\0All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = g_name;
    ofn.nMaxFile = kNameSize;
    ofn.lpstrTitle = "Save List As";
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "LST";
    if (!GetSaveFileNameA(&ofn)) {
        if (CommDlgExtendedError() != 0) {
            // A name too long for the buffer left the size it needed there; start afresh.
            g_name[0] = '\0';
            MessageBoxA(owner, "Could not save list. 2", "Warning", MB_OK | MB_ICONERROR);
        }
        return false;
    }
    if (!list.save(g_name)) {
        MessageBoxA(owner, "Could not save list.", "Warning", MB_OK | MB_ICONERROR);
        return false;
    }
    store_configured_playlist(g_name);
    // This process's Load List now reads the list just saved, as the next saver will.
    player_state().playlistPath = g_name;
    MessageBoxA(owner, "This has been set as the Lumivex playlist.", "Sucess!", MB_OK);
    return true;
}

void reset_save_list_as() { std::memset(g_name, 0, sizeof g_name); }
