// The playlists' own pseudo-random generator: a 32-bit linear congruential generator.
#include "playlist/playlist_random.h"

#include <atomic>
#include <ctime>
#include <mutex>

namespace {

// The constants of the classic C library generator: its high bits are usable as keys.
constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

std::atomic<std::uint32_t> g_state{1};
std::once_flag g_seeded;

}  // namespace

void seed_playlist_random_once() {
    std::call_once(g_seeded, [] { g_state = static_cast<std::uint32_t>(std::time(nullptr)); });
}

int next_playlist_random() {
    std::uint32_t next = g_state.load() * kMultiplier + kIncrement;
    g_state = next;
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

void seed_playlist_random(std::uint32_t seed) {
    seed_playlist_random_once();  // a later first list must not overwrite the test's seed
    g_state = seed;
}
