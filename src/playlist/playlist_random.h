// The playlists' own pseudo-random generator, which gives the keys for random order.
#pragma once

#include <cstdint>

// Seeds the generator from the clock (seconds), the first time it is called in the process only.
void seed_playlist_random_once();
// The next key, 0..32767.
int next_playlist_random();
// Gives the generator a known state, so tests can repeat an order.
void seed_playlist_random(std::uint32_t seed);
