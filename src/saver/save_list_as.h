// Saving a playlist under a name the user picks, and making it the configured playlist.
#pragma once

#include "platform/win/win.h"
#include "playlist/playlist.h"

// Asks for a file name with the "Save List As" dialog owned by owner, saves the list there and
// stores the name as the registry value "Playlist"; true when all of that succeeded. Failures
// are reported in message boxes.
bool saveListAs(Playlist& list, HWND owner);

// Forgets the name chosen last (tests).
void reset_save_list_as();
