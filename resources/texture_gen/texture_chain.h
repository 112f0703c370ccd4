// From a 256x256 picture to a complete 3DF file: mipmap chain, RGB565 texels, text header.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/texture_gen/image.h"

// Levels 256 down to 1, each the 2x2 box average of the one above (in linear light).
std::vector<Image> mip_chain(const Image& top);

// RGB565 texels of every level, largest first; error diffusion hides the 5/6-bit steps.
std::vector<std::uint16_t> quantize_chain(const std::vector<Image>& levels);

// The 51-byte header and the texels, most significant byte first.
std::vector<std::uint8_t> make_3df(const std::vector<std::uint16_t>& texels);
