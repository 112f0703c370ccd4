// The per-pixel arithmetic of the board: texture sampling, combine units, blending and dither.
// Every span routine, the fast ones included, must produce exactly what these functions produce.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/glide/glide.h"

// One mipmap level of a decoded texture: 0xAARRGGBB texels with a one-texel border that repeats
// the edge texels, so clamped bilinear sampling never needs a bounds test.
struct TexLevel {
    const std::uint32_t* texels = nullptr;  // the border's top-left texel
    int width = 0;
    int height = 0;
    int stride = 0;  // width + 2
};

struct DecodedTexture {
    std::vector<std::uint32_t> store;
    std::array<TexLevel, 9> levels{};  // by LOD code: 0 is the 256-texel level
    // The same facts as flat tables, for the vector span routine.
    alignas(32) std::array<std::int32_t, 16> level_offset{};  // into store
    alignas(32) std::array<std::int32_t, 16> level_stride{};
    alignas(32) std::array<std::int32_t, 16> level_width{};
    alignas(32) std::array<std::int32_t, 16> level_height{};
    int large_lod = 0;
    int small_lod = 0;
};

struct CombineSetting {
    GrCombineFunction_t function = GR_COMBINE_FUNCTION_LOCAL;
    GrCombineFactor_t factor = GR_COMBINE_FACTOR_NONE;
    GrCombineLocal_t local = GR_COMBINE_LOCAL_ITERATED;
    GrCombineOther_t other = GR_COMBINE_OTHER_ITERATED;
    bool invert = false;
};

enum class SpanKind {
    kGeneric,       // any state, one pixel at a time
    kTextureBlend,  // colour = texel, alpha = iterated, SRC_ALPHA / ONE_MINUS_SRC_ALPHA, clamped
};

// Everything a span needs, resolved once per state change.
struct Pipeline {
    SpanKind kind = SpanKind::kGeneric;
    const DecodedTexture* texture = nullptr;  // null: untextured, or no texture selected
    bool needs_texture = false;
    bool min_bilinear = false;
    bool mag_bilinear = false;
    bool mipmap = false;
    bool wrap_s = false;
    bool wrap_t = false;
    CombineSetting color;
    CombineSetting alpha;
    CombineSetting tex_rgb;
    CombineSetting tex_alpha;
    int constant_r = 255, constant_g = 255, constant_b = 255, constant_a = 255;
    GrAlphaBlendFnc_t rgb_sf = GR_BLEND_ONE;
    GrAlphaBlendFnc_t rgb_df = GR_BLEND_ZERO;
    bool dither = true;
};

// The parameters of one span: values at the first pixel's centre and their change per pixel.
enum SpanParam { kParamR, kParamG, kParamB, kParamA, kParamSow, kParamTow, kParamOow, kParamCount };
struct SpanSetup {
    float start[kParamCount];
    float step[kParamCount];
    float rho;  // texels per pixel times oow, constant over the primitive (for the mipmap level)
};

namespace glide_math {

inline constexpr std::uint8_t kDither4x4[4][4] = {
    {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Iterated channels: the integer part, held to 0..255 (values far outside stay in range too).
inline int iterated_channel(float v) {
    v = v > 0.0f ? v : 0.0f;
    v = v < 255.0f ? v : 255.0f;
    return static_cast<int>(v);
}

// Per 8-bit field of a 0xAARRGGBB pair: a + (((b - a) * f) >> 8), f in 0..255.
inline std::uint32_t lerp_texel(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
    const std::uint32_t arb = a & 0x00FF00FFu, ag = (a >> 8) & 0x00FF00FFu;
    const std::uint32_t brb = b & 0x00FF00FFu, bg = (b >> 8) & 0x00FF00FFu;
    const std::uint32_t rb = ((((brb - arb) * f) >> 8) + arb) & 0x00FF00FFu;
    const std::uint32_t g = ((((bg - ag) * f) >> 8) + ag) & 0x00FF00FFu;
    return rb | (g << 8);
}

// The level of detail: floor(log2(rho / oow)) held to the texture's chain, read off the exponent.
inline int lod_level(float q, int large, int small) {
    int e = static_cast<int>(std::bit_cast<std::uint32_t>(q) >> 23) - 127;
    e = e > large ? e : large;
    return e < small ? e : small;
}

inline float pow2_negative(int level) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(127 - level) << 23);
}

inline int wrap_index(int i, int size) {
    i %= size;
    return i < 0 ? i + size : i;
}

// One filtered texel (0xAARRGGBB) at the given perspective-divided coordinates.
inline std::uint32_t sample_texture(const Pipeline& p, float sow, float tow, float oow, float rho) {
    const DecodedTexture& t = *p.texture;
    float s = 0.0f, u = 0.0f;
    int level = t.large_lod;
    if (oow > 0.0f) {
        const float w = 1.0f / oow;
        s = sow * w;
        u = tow * w;
        if (p.mipmap) level = lod_level(rho * w, t.large_lod, t.small_lod);
    }
    const TexLevel& l = t.levels[level];
    const float scale = pow2_negative(level);
    float sn = s * scale, tn = u * scale;
    const bool bilinear = level == t.large_lod ? p.mag_bilinear : p.min_bilinear;
    const float wf = static_cast<float>(l.width), hf = static_cast<float>(l.height);
    if (!bilinear) {
        sn = sn > -1.0f ? sn : -1.0f;
        sn = sn < wf ? sn : wf;
        tn = tn > -1.0f ? tn : -1.0f;
        tn = tn < hf ? tn : hf;
        int i = static_cast<int>(std::floor(sn)), j = static_cast<int>(std::floor(tn));
        i = p.wrap_s ? wrap_index(i, l.width) : (i < 0 ? 0 : (i >= l.width ? l.width - 1 : i));
        j = p.wrap_t ? wrap_index(j, l.height) : (j < 0 ? 0 : (j >= l.height ? l.height - 1 : j));
        return l.texels[(j + 1) * l.stride + i + 1];
    }
    float fu = sn - 0.5f, fv = tn - 0.5f;
    fu = fu > -1.0f ? fu : -1.0f;
    fu = fu < wf ? fu : wf;
    fv = fv > -1.0f ? fv : -1.0f;
    fv = fv < hf ? fv : hf;
    const float flu = std::floor(fu), flv = std::floor(fv);
    const auto ffu = static_cast<std::uint32_t>((fu - flu) * 256.0f);
    const auto ffv = static_cast<std::uint32_t>((fv - flv) * 256.0f);
    int i0 = static_cast<int>(flu), j0 = static_cast<int>(flv);
    int i1, j1;
    if (p.wrap_s) {
        i0 = wrap_index(i0, l.width);
        i1 = wrap_index(i0 + 1, l.width);
    } else {
        i0 = i0 < l.width - 1 ? i0 : l.width - 1;
        i1 = i0 < 0 ? 0 : (i0 + 1 < l.width ? i0 + 1 : l.width - 1);
        i0 = i0 < 0 ? 0 : i0;
    }
    if (p.wrap_t) {
        j0 = wrap_index(j0, l.height);
        j1 = wrap_index(j0 + 1, l.height);
    } else {
        j0 = j0 < l.height - 1 ? j0 : l.height - 1;
        j1 = j0 < 0 ? 0 : (j0 + 1 < l.height ? j0 + 1 : l.height - 1);
        j0 = j0 < 0 ? 0 : j0;
    }
    const std::uint32_t* r0 = l.texels + (j0 + 1) * l.stride + 1;
    const std::uint32_t* r1 = l.texels + (j1 + 1) * l.stride + 1;
    const std::uint32_t top = lerp_texel(r0[i0], r0[i1], ffu);
    const std::uint32_t bottom = lerp_texel(r1[i0], r1[i1], ffu);
    return lerp_texel(top, bottom, ffv);
}

// One combine unit on one channel (the board's arithmetic, shared by colour, alpha and texture).
inline int combine(const CombineSetting& u, int local, int other, int local_alpha, int other_alpha,
                   int texture_alpha) {
    const int fn = u.function;
    const bool uses_other = fn >= GR_COMBINE_FUNCTION_SCALE_OTHER &&
                            fn <= GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    const bool subtracts_local = (fn >= GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL &&
                                  fn <= GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL) ||
                                 fn == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    const bool adds_local = fn == GR_COMBINE_FUNCTION_LOCAL ||
                            fn == GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL ||
                            fn == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL ||
                            fn == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL;
    const bool adds_local_alpha =
        fn == GR_COMBINE_FUNCTION_LOCAL_ALPHA ||
        fn == GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA ||
        fn == GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA ||
        fn == GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA;
    int base = uses_other ? other : 0;
    if (subtracts_local) base -= local;
    int f = 0;
    switch (u.factor & 7) {
        case GR_COMBINE_FACTOR_LOCAL:
            f = local;
            break;
        case GR_COMBINE_FACTOR_OTHER_ALPHA:
            f = other_alpha;
            break;
        case GR_COMBINE_FACTOR_LOCAL_ALPHA:
            f = local_alpha;
            break;
        case GR_COMBINE_FACTOR_TEXTURE_ALPHA:
            f = texture_alpha;
            break;
        default:
            f = 0;
            break;  // zero, and the LOD fraction of a single unsplit texture
    }
    if (u.factor & 8) f = 255 - f;
    int v = (base * (f + 1)) >> 8;
    if (adds_local) v += local;
    if (adds_local_alpha) v += local_alpha;
    v = v < 0 ? 0 : (v > 255 ? 255 : v);
    return u.invert ? 255 - v : v;
}

// One term of the blend: x scaled by the factor `code`, with source (s, a) and destination d.
inline int blend_term(GrAlphaBlendFnc_t code, int x, int s, int d, int a, bool source_side) {
    int f;
    switch (code) {
        case GR_BLEND_ZERO:
            return 0;
        case GR_BLEND_ONE:
            return x;
        case GR_BLEND_SRC_ALPHA:
            f = a;
            break;
        case GR_BLEND_ONE_MINUS_SRC_ALPHA:
            f = 255 - a;
            break;
        case GR_BLEND_SRC_COLOR:
            f = source_side ? d : s;
            break;  // DST_COLOR on the source side
        case GR_BLEND_ONE_MINUS_SRC_COLOR:
            f = 255 - (source_side ? d : s);
            break;
        case GR_BLEND_DST_ALPHA:
            f = 255;
            break;  // no alpha planes: destination alpha reads opaque
        case GR_BLEND_ONE_MINUS_DST_ALPHA:
            f = 0;
            break;
        case GR_BLEND_ALPHA_SATURATE:
            f = 0;
            break;
        default:
            return source_side ? x : 0;
    }
    return (x * (f + 1)) >> 8;
}

inline int widen5(int v) { return (v << 3) | (v >> 2); }
inline int widen6(int v) { return (v << 2) | (v >> 4); }

inline std::uint16_t pack565(int r, int g, int b, int x, int y, bool dither) {
    if (!dither) return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    const int d = kDither4x4[y & 3][x & 3];
    const int r5 = (2 * r - (r >> 4) + (r >> 7) + d) >> 4;
    const int g6 = (4 * g - (g >> 4) + (g >> 6) + d) >> 4;
    const int b5 = (2 * b - (b >> 4) + (b >> 7) + d) >> 4;
    return static_cast<std::uint16_t>((r5 << 11) | (g6 << 5) | b5);
}

// The whole pipeline for one pixel: parameters at its centre in, new 16-bit value out.
inline std::uint16_t shade_pixel(const Pipeline& p, std::uint16_t dst, int x, int y, const float* v,
                                 float rho) {
    const int ir = iterated_channel(v[kParamR]);
    const int ig = iterated_channel(v[kParamG]);
    const int ib = iterated_channel(v[kParamB]);
    const int ia = iterated_channel(v[kParamA]);
    int tr = 0, tg = 0, tb = 0, ta = 0;
    if (p.needs_texture && p.texture) {
        const std::uint32_t texel =
            sample_texture(p, v[kParamSow], v[kParamTow], v[kParamOow], rho);
        const int lr = (texel >> 16) & 255, lg = (texel >> 8) & 255, lb = texel & 255;
        const int la = texel >> 24;
        // The unit's "other" input is the upstream unit's output: nothing, with one unit.
        tr = combine(p.tex_rgb, lr, 0, la, 0, la);
        tg = combine(p.tex_rgb, lg, 0, la, 0, la);
        tb = combine(p.tex_rgb, lb, 0, la, 0, la);
        ta = combine(p.tex_alpha, la, 0, la, 0, la);
    }
    auto pick_local = [&](GrCombineLocal_t sel, int iterated, int constant) {
        return sel == GR_COMBINE_LOCAL_ITERATED ? iterated
                                                : (sel == GR_COMBINE_LOCAL_CONSTANT ? constant : 0);
    };
    auto pick_other = [&](GrCombineOther_t sel, int iterated, int texture, int constant) {
        return sel == GR_COMBINE_OTHER_ITERATED
                   ? iterated
                   : (sel == GR_COMBINE_OTHER_TEXTURE ? texture : constant);
    };
    const int local_a = pick_local(p.alpha.local, ia, p.constant_a);
    const int other_a = pick_other(p.alpha.other, ia, ta, p.constant_a);
    const int a = combine(p.alpha, local_a, other_a, local_a, other_a, ta);
    const int sr = combine(p.color, pick_local(p.color.local, ir, p.constant_r),
                           pick_other(p.color.other, ir, tr, p.constant_r), local_a, other_a, ta);
    const int sg = combine(p.color, pick_local(p.color.local, ig, p.constant_g),
                           pick_other(p.color.other, ig, tg, p.constant_g), local_a, other_a, ta);
    const int sb = combine(p.color, pick_local(p.color.local, ib, p.constant_b),
                           pick_other(p.color.other, ib, tb, p.constant_b), local_a, other_a, ta);
    const int dr = widen5(dst >> 11), dg = widen6((dst >> 5) & 63), db = widen5(dst & 31);
    auto blend = [&](int s, int d) {
        const int out =
            blend_term(p.rgb_sf, s, s, d, a, true) + blend_term(p.rgb_df, d, s, d, a, false);
        return out > 255 ? 255 : out;
    };
    return pack565(blend(sr, dr), blend(sg, dg), blend(sb, db), x, y, p.dither);
}

}  // namespace glide_math

// Span routines: `count` pixels of device row y from column x, written into `row`.
void shade_span_generic(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                        const SpanSetup& s);
// The vector routine for SpanKind::kTextureBlend; false when this processor lacks AVX2.
bool texture_blend_span_available();
void shade_span_texture_blend(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                              const SpanSetup& s);
// Picks the routine for the pipeline (tests can force the generic one).
void shade_span(const Pipeline& p, std::uint16_t* row, int x, int count, int y, const SpanSetup& s);
void glide_force_generic_spans(bool force);
