// Opening and closing the device, the pixel-pipeline state calls, buffer clear and swap.
#include "platform/glide/glide_device.h"

#include <algorithm>
#include <cstring>

#include "platform/glide/glide_present.h"
#include "platform/glide/glide_texture.h"

namespace {

// Spare pixels at the end of each row, so an eight-pixel group that starts inside a row never
// leaves the buffer.
constexpr int kRowSlack = 8;

GlideFrameOverlay g_overlay = nullptr;

// The state grSstWinOpen leaves behind.
void set_open_defaults(GlideDevice& d) {
    d.color_combine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                       GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_ITERATED, false};
    d.alpha_combine = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                       GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_CONSTANT, false};
    d.tex_rgb = {GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_ITERATED, false};
    d.tex_alpha = d.tex_rgb;
    d.rgb_sf = GR_BLEND_ONE;
    d.rgb_df = GR_BLEND_ZERO;
    d.alpha_sf = GR_BLEND_ONE;
    d.alpha_df = GR_BLEND_ZERO;
    d.constant_color = 0xFFFFFFFF;
    d.cull = GR_CULL_DISABLE;
    d.dither = GR_DITHER_4x4;
    d.clip_x0 = 0;
    d.clip_y0 = 0;
    d.clip_x1 = d.width;
    d.clip_y1 = d.height;
    d.min_filter = GR_TEXTUREFILTER_POINT_SAMPLED;
    d.mag_filter = GR_TEXTUREFILTER_POINT_SAMPLED;
    d.mipmap_mode = GR_MIPMAP_DISABLE;
    d.clamp_s = GR_TEXTURECLAMP_CLAMP;
    d.clamp_t = GR_TEXTURECLAMP_CLAMP;
    d.has_source = false;
    d.dirty = true;
}

struct Argb {
    int a, r, g, b;
};

// A packed colour in the colour format chosen at open.
Argb unpack_color(GrColor_t c, GrColorFormat_t format) {
    const int b0 = c & 255, b1 = (c >> 8) & 255, b2 = (c >> 16) & 255, b3 = (c >> 24) & 255;
    switch (format) {
        case GR_COLORFORMAT_ABGR:
            return {b3, b0, b1, b2};
        case GR_COLORFORMAT_RGBA:
            return {b0, b3, b2, b1};
        case GR_COLORFORMAT_BGRA:
            return {b0, b1, b2, b3};
        default:
            return {b3, b2, b1, b0};  // ARGB
    }
}

bool is_exact_texture_colour(const CombineSetting& c, const Argb& constant) {
    if (c.function != GR_COMBINE_FUNCTION_SCALE_OTHER || c.other != GR_COMBINE_OTHER_TEXTURE ||
        c.invert) {
        return false;
    }
    if (c.factor == GR_COMBINE_FACTOR_ONE) return true;
    // Scaled by the constant colour, which passes the texel unchanged only when it is white.
    return c.factor == GR_COMBINE_FACTOR_LOCAL && c.local == GR_COMBINE_LOCAL_CONSTANT &&
           constant.r == 255 && constant.g == 255 && constant.b == 255;
}

bool is_iterated_alpha(const CombineSetting& c) {
    if (c.invert) return false;
    if (c.function == GR_COMBINE_FUNCTION_LOCAL) return c.local == GR_COMBINE_LOCAL_ITERATED;
    return c.function == GR_COMBINE_FUNCTION_SCALE_OTHER && c.factor == GR_COMBINE_FACTOR_ONE &&
           c.other == GR_COMBINE_OTHER_ITERATED;
}

Pipeline resolve(GlideDevice& d) {
    Pipeline p;
    p.color = d.color_combine;
    p.alpha = d.alpha_combine;
    p.tex_rgb = d.tex_rgb;
    p.tex_alpha = d.tex_alpha;
    const Argb k = unpack_color(d.constant_color, d.color_format);
    p.constant_r = k.r;
    p.constant_g = k.g;
    p.constant_b = k.b;
    p.constant_a = k.a;
    p.rgb_sf = d.rgb_sf;
    p.rgb_df = d.rgb_df;
    p.dither = d.dither != GR_DITHER_DISABLE;
    auto uses_texture_factor = [](const CombineSetting& c) {
        return (c.factor & 7) == GR_COMBINE_FACTOR_TEXTURE_ALPHA;
    };
    p.needs_texture = p.color.other == GR_COMBINE_OTHER_TEXTURE ||
                      p.alpha.other == GR_COMBINE_OTHER_TEXTURE || uses_texture_factor(p.color) ||
                      uses_texture_factor(p.alpha);
    p.min_bilinear = d.min_filter == GR_TEXTUREFILTER_BILINEAR;
    p.mag_bilinear = d.mag_filter == GR_TEXTUREFILTER_BILINEAR;
    p.mipmap = d.mipmap_mode != GR_MIPMAP_DISABLE;
    p.wrap_s = d.clamp_s == GR_TEXTURECLAMP_WRAP;
    p.wrap_t = d.clamp_t == GR_TEXTURECLAMP_WRAP;
    p.texture = d.has_source ? bound_texture(d) : nullptr;

    const bool texel_colour = p.tex_rgb.function == GR_COMBINE_FUNCTION_LOCAL && !p.tex_rgb.invert;
    if (p.needs_texture && p.texture && texel_colour && is_exact_texture_colour(p.color, k) &&
        is_iterated_alpha(p.alpha) && p.rgb_sf == GR_BLEND_SRC_ALPHA &&
        p.rgb_df == GR_BLEND_ONE_MINUS_SRC_ALPHA && p.min_bilinear && p.mag_bilinear && !p.wrap_s &&
        !p.wrap_t && p.dither) {
        p.kind = SpanKind::kTextureBlend;
    }
    p.transparent_keeps_destination = is_iterated_alpha(p.alpha) &&
                                      p.rgb_sf == GR_BLEND_SRC_ALPHA &&
                                      p.rgb_df == GR_BLEND_ONE_MINUS_SRC_ALPHA;
    // The saver's plain mode (the constant colour) and star mode (the vertex colour scaled by
    // the constant), alpha-blended.
    const CombineSetting& c = p.color;
    const bool plain =
        c.function == GR_COMBINE_FUNCTION_LOCAL && c.local == GR_COMBINE_LOCAL_CONSTANT;
    const bool star = c.function == GR_COMBINE_FUNCTION_SCALE_OTHER &&
                      c.factor == GR_COMBINE_FACTOR_LOCAL && c.local == GR_COMBINE_LOCAL_ITERATED &&
                      c.other == GR_COMBINE_OTHER_CONSTANT;
    if (!p.needs_texture && (plain || star) && !c.invert && is_iterated_alpha(p.alpha) &&
        p.rgb_sf == GR_BLEND_SRC_ALPHA && p.rgb_df == GR_BLEND_ONE_MINUS_SRC_ALPHA) {
        p.kind = SpanKind::kColorBlend;
        p.color_scales_iterated = star;
    }
    return p;
}

}  // namespace

GlideDevice& glide_device() {
    static GlideDevice device;
    return device;
}

const Pipeline& current_pipeline() {
    GlideDevice& d = glide_device();
    if (d.dirty) {
        d.pipeline = resolve(d);
        d.dirty = false;
    }
    return d.pipeline;
}

std::uint16_t* back_row(int y) {
    GlideDevice& d = glide_device();
    const int row = d.origin == GR_ORIGIN_LOWER_LEFT ? d.height - 1 - y : y;
    return d.buffers[d.back].data() + static_cast<std::ptrdiff_t>(row) * d.stride;
}

std::uint16_t glide_read_pixel(int x, int y) {
    const GlideDevice& d = glide_device();
    if (!d.open || x < 0 || y < 0 || x >= d.width || y >= d.height) return 0;
    return back_row(y)[x];
}

void grGlideGetVersion(char version[80]) {
    if (version) std::strcpy(version, "2.46");
}

void grGlideInit() {
    GlideDevice& d = glide_device();
    if (d.initialised) return;
    d = GlideDevice{};
    d.initialised = true;
    d.tex_memory.assign(kTextureMemoryBytes, 0);
}

void grGlideShutdown() {
    GlideDevice& d = glide_device();
    if (d.open) glide_presenter().close();
    d = GlideDevice{};
}

FxBool grSstQueryHardware(GrHwConfiguration* hw) {
    if (!hw) return FXFALSE;
    *hw = GrHwConfiguration{};
    hw->num_sst = 1;
    hw->SSTs[0].type = GR_SSTTYPE_VOODOO;
    hw->SSTs[0].VoodooConfig.fbRam = 4;
    hw->SSTs[0].VoodooConfig.fbiRev = 2;
    hw->SSTs[0].VoodooConfig.nTexelfx = 1;
    hw->SSTs[0].VoodooConfig.tmuConfig[0].tmuRev = 1;
    hw->SSTs[0].VoodooConfig.tmuConfig[0].tmuRam = 2;
    return FXTRUE;
}

void grSstSelect(int /*which_sst*/) {}

FxBool grSstWinOpen(FxU32 /*hWnd*/, GrScreenResolution_t resolution, GrScreenRefresh_t /*refresh*/,
                    GrColorFormat_t color_format, GrOriginLocation_t origin, int /*nColBuffers*/,
                    int /*nAuxBuffers*/) {
    GlideDevice& d = glide_device();
    if (!d.initialised) return FXFALSE;
    int width, height;
    switch (resolution) {
        case GR_RESOLUTION_640x480:
            width = 640, height = 480;
            break;
        case GR_RESOLUTION_800x600:
            width = 800, height = 600;
            break;
        case GR_RESOLUTION_1024x768:
            width = 1024, height = 768;
            break;
        default:
            return FXFALSE;
    }
    if (d.open) glide_presenter().close();
    d.open = false;
    if (!glide_presenter().open(width, height)) return FXFALSE;
    d.width = width;
    d.height = height;
    d.stride = width + kRowSlack;
    d.origin = origin == GR_ORIGIN_UPPER_LEFT ? GR_ORIGIN_UPPER_LEFT : GR_ORIGIN_LOWER_LEFT;
    d.color_format = color_format;
    for (auto& b : d.buffers) b.assign(static_cast<std::size_t>(d.stride) * height, 0);
    d.back = 0;
    d.open = true;
    set_open_defaults(d);
    return FXTRUE;
}

FxU32 grSstScreenWidth() { return static_cast<FxU32>(glide_device().width); }
FxU32 grSstScreenHeight() { return static_cast<FxU32>(glide_device().height); }

void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
    GlideDevice& d = glide_device();
    d.color_combine = {function, factor, local, other, invert != 0};
    d.dirty = true;
}

void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert) {
    GlideDevice& d = glide_device();
    d.alpha_combine = {function, factor, local, other, invert != 0};
    d.dirty = true;
}

void grAlphaBlendFunction(GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df,
                          GrAlphaBlendFnc_t alpha_sf, GrAlphaBlendFnc_t alpha_df) {
    GlideDevice& d = glide_device();
    d.rgb_sf = rgb_sf;
    d.rgb_df = rgb_df;
    // Only ONE and ZERO are accepted for alpha; there are no alpha planes to write anyway.
    d.alpha_sf = alpha_sf == GR_BLEND_ZERO ? GR_BLEND_ZERO : GR_BLEND_ONE;
    d.alpha_df = alpha_df == GR_BLEND_ONE ? GR_BLEND_ONE : GR_BLEND_ZERO;
    d.dirty = true;
}

void grConstantColorValue(GrColor_t value) {
    GlideDevice& d = glide_device();
    d.constant_color = value;
    d.dirty = true;
}

void grCullMode(GrCullMode_t mode) { glide_device().cull = mode; }

void grDitherMode(GrDitherMode_t mode) {
    GlideDevice& d = glide_device();
    d.dither = mode;
    d.dirty = true;
}

void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy) {
    GlideDevice& d = glide_device();
    d.clip_x0 = static_cast<int>(std::min<FxU32>(minx, static_cast<FxU32>(d.width)));
    d.clip_y0 = static_cast<int>(std::min<FxU32>(miny, static_cast<FxU32>(d.height)));
    d.clip_x1 = static_cast<int>(std::min<FxU32>(maxx, static_cast<FxU32>(d.width)));
    d.clip_y1 = static_cast<int>(std::min<FxU32>(maxy, static_cast<FxU32>(d.height)));
}

void grBufferClear(GrColor_t color, GrAlpha_t /*alpha*/, FxU16 /*depth*/) {
    GlideDevice& d = glide_device();
    if (!d.open) return;
    const Argb c = unpack_color(color, d.color_format);
    const bool dither = d.dither != GR_DITHER_DISABLE;
    const int x0 = d.clip_x0, x1 = d.clip_x1;
    if (x0 >= x1) return;
    // The dither pattern repeats every four rows and columns: each of the four row patterns is
    // made once and copied into its rows.
    std::vector<std::uint16_t> patterns[4];
    for (int y = d.clip_y0; y < d.clip_y1; ++y) {
        std::vector<std::uint16_t>& line = patterns[y & 3];
        if (line.empty()) {
            line.resize(static_cast<std::size_t>(x1 - x0));
            for (int x = x0; x < x1; ++x) {
                line[static_cast<std::size_t>(x - x0)] =
                    glide_math::pack565(c.r, c.g, c.b, x, y, dither);
            }
        }
        std::memcpy(back_row(y) + x0, line.data(), line.size() * sizeof(std::uint16_t));
    }
}

void glide_set_frame_overlay(GlideFrameOverlay overlay) { g_overlay = overlay; }

void grBufferSwap(int swap_interval) {
    GlideDevice& d = glide_device();
    if (!d.open) return;
    // The next frame clears the whole buffer first, so what the overlay draws is shown once.
    if (g_overlay) g_overlay(d.buffers[d.back].data(), d.width, d.height, d.stride);
    const GlideFrameView frame{d.buffers[d.back].data(), d.width, d.height, d.stride};
    glide_presenter().present(frame, swap_interval);
    d.back ^= 1;
    ++d.swaps;
}
