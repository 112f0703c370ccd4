// The renderer's shared random generator: a 32-bit linear congruential generator, draws 0..32767.
#pragma once

#include <cstdint>

struct RenderRandom {
    std::uint32_t state = 0;

    void seed(std::uint32_t value) { state = value; }
    // One draw: 0..32767.
    int draw() {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
    // A draw divided by 32767: 0..1 inclusive.
    float r() { return static_cast<float>(draw()) / 32767.0f; }
};
