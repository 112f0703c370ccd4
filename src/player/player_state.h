// The music player's one global record: what is open, what plays, and the player's settings.
#pragma once

#include <string>

struct PlayerState {
    // The configured playlist, from the registry value "Playlist". Held whole: a full path on
    // Linux is often longer than the 49 characters the old fixed buffer allowed.
    std::string playlistPath;
    // Working copy of "RepeatMP3": the wrap argument of every advance.
    int repeat = 0;
};

// The process-wide player state.
PlayerState& player_state();
// Back to a new process's state (tests).
void reset_player_state();
