// The one software Glide device of the process: frame buffers, texture memory and pixel state.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/glide/glide.h"
#include "platform/glide/glide_pipeline.h"

// A texture as it lies in TMU memory, plus the decoded copy the rasteriser samples from. The copy
// is dropped whenever a download touches the bytes it came from.
struct TextureBinding {
    FxU32 start = 0;
    FxU32 even_odd = GR_MIPMAPLEVELMASK_BOTH;
    GrTexInfo info{};
    FxU32 bytes = 0;
    DecodedTexture decoded;
};

struct GlideDevice {
    bool initialised = false;
    bool open = false;

    // Frame buffers: two RGB565 colour buffers, top display row first, `stride` pixels a row. The
    // rows carry a few spare pixels so eight-pixel groups at a span's end stay inside the buffer.
    int width = 0;
    int height = 0;
    int stride = 0;
    GrOriginLocation_t origin = GR_ORIGIN_LOWER_LEFT;
    GrColorFormat_t color_format = GR_COLORFORMAT_ABGR;
    std::array<std::vector<std::uint16_t>, 2> buffers;
    int back = 0;
    std::uint64_t swaps = 0;

    // Pixel pipeline state, as set by the gr* calls.
    CombineSetting color_combine{};
    CombineSetting alpha_combine{};
    CombineSetting tex_rgb{};
    CombineSetting tex_alpha{};
    GrAlphaBlendFnc_t rgb_sf = GR_BLEND_ONE;
    GrAlphaBlendFnc_t rgb_df = GR_BLEND_ZERO;
    GrAlphaBlendFnc_t alpha_sf = GR_BLEND_ONE;
    GrAlphaBlendFnc_t alpha_df = GR_BLEND_ZERO;
    GrColor_t constant_color = 0xFFFFFFFF;
    GrCullMode_t cull = GR_CULL_DISABLE;
    GrDitherMode_t dither = GR_DITHER_4x4;
    int clip_x0 = 0, clip_y0 = 0, clip_x1 = 0, clip_y1 = 0;

    // Texture unit 0.
    std::vector<std::uint8_t> tex_memory;
    std::array<GrColor_t, 256> palette{};
    GrTextureFilterMode_t min_filter = GR_TEXTUREFILTER_POINT_SAMPLED;
    GrTextureFilterMode_t mag_filter = GR_TEXTUREFILTER_POINT_SAMPLED;
    GrMipMapMode_t mipmap_mode = GR_MIPMAP_DISABLE;
    GrTextureClampMode_t clamp_s = GR_TEXTURECLAMP_CLAMP;
    GrTextureClampMode_t clamp_t = GR_TEXTURECLAMP_CLAMP;
    bool has_source = false;
    FxU32 source_start = 0;
    FxU32 source_even_odd = GR_MIPMAPLEVELMASK_BOTH;
    GrTexInfo source_info{};
    std::vector<std::unique_ptr<TextureBinding>> textures;  // decoded copies

    // The resolved pipeline; rebuilt before drawing when `dirty` is set.
    bool dirty = true;
    Pipeline pipeline;
};

// The device. Tests reset it with grGlideShutdown followed by grGlideInit.
GlideDevice& glide_device();

constexpr FxU32 kTextureMemoryBytes = 2u * 1024u * 1024u;

// The pipeline for the current state (resolved on demand).
const Pipeline& current_pipeline();

// The back buffer's row for device row y (y counted from the origin the device was opened with).
std::uint16_t* back_row(int y);

// The current back buffer's pixel at device (x, y), for tests and tools; 0 outside the screen.
std::uint16_t glide_read_pixel(int x, int y);
