// Reduces an RGB picture to 256 colours: a palette and one index a pixel.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct IndexedPicture {
    std::vector<std::array<std::uint8_t, 3>> palette;  // at most 256 colours
    std::vector<std::uint8_t> indices;                 // one a pixel, top row first
};

// Splits the colour space where the error is largest (median cut weighted by variance), then
// maps each pixel to the nearest palette colour, spreading a part of the error to its
// neighbours so smooth gradients stay smooth.
IndexedPicture quantize(const std::vector<std::uint8_t>& rgb, int width, int height, int colours,
                        float dither);
