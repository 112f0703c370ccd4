// The big stars' own random generator, for the depth of each brightness pulse.
#pragma once

#include <cstdint>

struct RandomBelow {
    std::uint32_t state = 1;
    // An integer in [0, n] for 0 < n <= 0x0FFFFFFF (n is held to that range).
    int operator()(int n);
};

// The process-wide generator of the renderer object: random_below(n) in [0, n].
int random_below(int n);
