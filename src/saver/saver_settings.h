// The settings record of the saver and its storage in the registry.
#pragma once

#include "platform/win/win.h"

constexpr const char* kSaverKey = "Software\\Velt\\Lumivex Saver";
constexpr const char* kSystemSaverKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

struct SaverSettings {
    SaverSettings();

    HWND saverWindow;
    int passwordDelay;   // seconds
    int mouseThreshold;  // read, not acted on: the mouse rule uses a fixed box
    int muteSound;       // read, not acted on
    int cursorX, cursorY;
    DWORD startTick;
    UINT_PTR timerId;
    int passwordPromptActive;
    int closeRequested;
    int showBackground;
    int backgroundNumber;
    int smallStarSpeed;
    int smallStarNumber;
    int showTrails;
    int largeStarNumber;
    int resolution;
    int playMusic;
    int repeatPlaylist;
    int randomBackground;
    int moveRandomly;

    // The system screen-saver key: password delay and the two values kept without use.
    void read_system_values();
    // The saver's own key over the defaults the caller stored; also fills the playlist path.
    void read_saver_values();
    // The eleven numeric values of the own key, in one atomic rewrite; never touches "Playlist".
    void write_saver_values();
};

// The defaults of the own-key fields, stored by the entry point between the two reads.
void store_default_saver_values(SaverSettings& settings);
// The whole record as an entry point reads it: the system key, the defaults, the own key.
void read_saver_settings(SaverSettings& settings);

// The process-wide record: created by the entry point, null outside it.
SaverSettings* saver_settings();
void set_saver_settings(SaverSettings* settings);
