// Device-independent bitmaps (a bitmap resource's header, palette and rows) to RGB pixels.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // top row first, three bytes a pixel
};

// Reads an uncompressed bitmap of 1, 4, 8, 24 or 32 bits a pixel with a BITMAPINFOHEADER (or a
// larger header), bottom-up or top-down; false for anything else or anything cut short.
bool decode_dib(std::span<const std::uint8_t> bits, RgbImage* image);
