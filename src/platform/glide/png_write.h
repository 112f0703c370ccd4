// A small PNG writer (8-bit RGB, deflate through zlib) for frames and texture previews.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// rgb holds width * height * 3 bytes, top row first. False when the file cannot be written.
bool write_png_rgb(const std::string& path, int width, int height,
                   std::span<const std::uint8_t> rgb);
