// The process-wide player state.
#include "player/player_state.h"

namespace {
PlayerState g_state;
}

PlayerState& player_state() { return g_state; }
void reset_player_state() { g_state = PlayerState{}; }
