// 3DF texture resources: the header values and texels of one "TEXTURE" resource.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The header values and texels of a 3DF file, in the order the Glide utility library uses.
struct TextureFileInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t small_lod = 0;
    std::int32_t large_lod = 0;
    std::int32_t aspect_ratio = 0;
    std::int32_t format = 0;
    std::array<std::uint8_t, 1024> table{};  // palette or NCC table area; always zero here
    std::vector<std::uint8_t> data;          // texels of every level, 16-bit ones in host order
    std::uint32_t mem_required = 0;          // bytes in data
};

// Glide LOD code for a side length (256 -> 0 ... 2 -> 7, anything else -> 8).
std::int32_t lod_from_size(std::int64_t size);
// The LOD at which the shorter side of a chain with this aspect code reaches one texel.
std::int32_t smallest_lod_for_aspect(std::int32_t aspect);
// NCC0 (0) for the YIQ formats, palette (2) for p8 and ap88, -1 for none.
std::int32_t table_type_for_format(std::int32_t format);

// Finds the "TEXTURE" resource `id` linked into the program and parses it into `out`.
// 1 on success; 0 with `out` cleared on any failure.
int load_3df_resource(int id, TextureFileInfo* out);

// The same parse on bytes held by the caller (the resource's contents).
int load_3df_bytes(std::span<const std::uint8_t> bytes, TextureFileInfo* out);
