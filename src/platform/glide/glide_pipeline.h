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
// the edge texels, so clamped sampling never needs a bounds test.
struct TexLevel {
    const std::uint32_t* texels = nullptr;  // the border's top-left texel
    int width = 0;
    int height = 0;
    int stride = 0;  // width + 2
};

struct DecodedTexture {
    std::vector<std::uint32_t> store;
    std::array<TexLevel, 9> levels{};  // by LOD code: 0 is the 256-texel level
    // For clamped bilinear sampling by a vector unit: entry (i, j) of a level holds the texels at
    // column i, rows j and j + 1, as byte pairs channel by channel (blue of both, then green, red
    // and alpha), each byte the channel minus 128 as a signed number (the unit multiplies unsigned
    // weights by signed bytes). A 16-byte read at entry (i0, j0) thus holds the four texels of a
    // sample, half the size that one 16-byte block per sample would take in the caches. Entries
    // for columns -1 .. width and rows -1 .. height - 1, read from the bordered level; levels one
    // after another.
    std::vector<std::uint64_t> pairs;
    // Where those lie, by level, as tables of 16 for the vector routine (past small_lod they
    // repeat it): the byte offset of the entry of texel (0, 0); the bytes per column and per row,
    // as two 16-bit numbers; the last column and row, likewise.
    alignas(32) std::array<std::int32_t, 16> pair_origin{};
    alignas(32) std::array<std::int32_t, 16> pair_step{};
    alignas(32) std::array<std::int32_t, 16> last_texel{};
    int full_width = 0;  // the chain's size in 256-space: level n is (full >> n) wide, at least 1
    int full_height = 0;
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
    kColorBlend,    // colour = constant or iterated times constant, no texture, alpha and blend
                    // as above
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
    // kColorBlend: the colour is (constant * (iterated + 1)) >> 8 rather than the constant.
    bool color_scales_iterated = false;
    // Alpha is the iterated alpha and blends SRC_ALPHA / ONE_MINUS_SRC_ALPHA, so a pixel at
    // alpha 0 keeps its colour (the board would only dither it again).
    bool transparent_keeps_destination = false;
};

// The parameters over one primitive: planes through its vertex values, in double precision,
// measured from an origin; and their change per pixel along a row in single precision. Filled in
// whole for each primitive, so no member starts with a value.
enum SpanParam { kParamR, kParamG, kParamB, kParamA, kParamSow, kParamTow, kParamOow, kParamCount };
struct SpanPlanes {
    double origin_x, origin_y;
    double at_origin[kParamCount];
    double dx[kParamCount];
    double dy[kParamCount];
    float step[kParamCount];
    float rho;  // texels per pixel times oow, constant over the primitive (for the mipmap level)
};

// Up to kMax spans of one primitive, field by field (so a vector unit can take several at once):
// span i is count[i] pixels of device row y[i] from column x[i], written into row[i]. Entries
// from n up to the next multiple of four are zero.
struct SpanList {
    static constexpr int kMax = 32;
    int n = 0;
    alignas(32) std::int32_t x[kMax];
    alignas(32) std::int32_t count[kMax];
    alignas(32) std::int32_t y[kMax];
    std::uint16_t* row[kMax];
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

// Fraction bits of a bilinear weight. The board kept 4; 7 keep magnified texels as smooth as
// 8 would (a step is below what the 16-bit buffer shows) and let a vector unit weight two
// texels in one byte multiply-add.
inline constexpr int kWeightBits = 7;
inline constexpr int kWeightOne = 1 << kWeightBits;

// Per 8-bit field of four 0xAARRGGBB texels: the two rows weighted by fu, then by fv, rounded
// down once at the end.
inline std::uint32_t bilinear(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01,
                              std::uint32_t t11, int fu, int fv) {
    std::uint32_t out = 0;
    for (int c = 0; c < 32; c += 8) {
        const int top = static_cast<int>((t00 >> c) & 255) * (kWeightOne - fu) +
                        static_cast<int>((t10 >> c) & 255) * fu;
        const int bottom = static_cast<int>((t01 >> c) & 255) * (kWeightOne - fu) +
                           static_cast<int>((t11 >> c) & 255) * fu;
        const int v = (top * (kWeightOne - fv) + bottom * fv) >> (2 * kWeightBits);
        out |= static_cast<std::uint32_t>(v) << c;
    }
    return out;
}

// The level of detail, floor(log2(rho / oow)) held to the chain, computed exactly from the two
// numbers' exponents and mantissas (no division, so a vector unit gets the same answer).
inline int lod_level(float rho, float oow, int large, int small) {
    const std::uint32_t r = std::bit_cast<std::uint32_t>(rho),
                        o = std::bit_cast<std::uint32_t>(oow);
    int e = static_cast<int>(r >> 23) - static_cast<int>(o >> 23);
    if ((r & 0x7FFFFFu) < (o & 0x7FFFFFu)) e -= 1;
    e = e > large ? e : large;
    return e < small ? e : small;
}

inline int wrap_index(std::int64_t i, int size) {
    const int r = static_cast<int>(i % size);
    return r < 0 ? r + size : r;
}

// Where a pixel samples: s and t in 1/65536 texel of the 256-space, and the mipmap level.
struct TexPosition {
    std::int64_t s = 0, t = 0;
    int level = 0;
};

// Perspective division and level choice. Behind the eye (1/w not above 0) the board samples
// (0, 0) of the largest level. Clamped coordinates are held to [-256, 512] texels, which changes
// no sample at any level; wrapped ones to the board's range of +-32768.
inline constexpr float kFixedOne = 65536.0f;
inline constexpr float kClampLow = -256.0f * kFixedOne, kClampHigh = 512.0f * kFixedOne;
inline constexpr float kWrapLimit = 32768.0f * kFixedOne;

inline float hold(float v, float lo, float hi) {
    v = v > lo ? v : lo;  // a NaN becomes lo, as the vector unit's max does
    return v < hi ? v : hi;
}

inline TexPosition texture_position(const Pipeline& p, float sow, float tow, float oow, float rho) {
    const DecodedTexture& t = *p.texture;
    TexPosition out;
    out.level = t.large_lod;
    if (!(oow > 0.0f)) return out;
    const float w = kFixedOne / oow;
    if (p.mipmap) out.level = lod_level(rho, oow, t.large_lod, t.small_lod);
    const float lo_s = p.wrap_s ? -kWrapLimit : kClampLow,
                hi_s = p.wrap_s ? kWrapLimit : kClampHigh;
    const float lo_t = p.wrap_t ? -kWrapLimit : kClampLow,
                hi_t = p.wrap_t ? kWrapLimit : kClampHigh;
    out.s = static_cast<std::int64_t>(hold(sow * w, lo_s, hi_s));
    out.t = static_cast<std::int64_t>(hold(tow * w, lo_t, hi_t));
    return out;
}

inline int clamp_index(std::int64_t i, int lo, int hi) {
    return static_cast<int>(i < lo ? lo : (i > hi ? hi : i));
}

// One filtered texel (0xAARRGGBB) at the given perspective-divided coordinates.
inline std::uint32_t sample_texture(const Pipeline& p, float sow, float tow, float oow, float rho) {
    const DecodedTexture& t = *p.texture;
    const TexPosition at = texture_position(p, sow, tow, oow, rho);
    const TexLevel& l = t.levels[at.level];
    const std::int64_t sn = at.s >> at.level, tn = at.t >> at.level;  // 16 fraction bits
    const bool filtered = at.level == t.large_lod ? p.mag_bilinear : p.min_bilinear;
    if (!filtered) {
        const int i =
            p.wrap_s ? wrap_index(sn >> 16, l.width) : clamp_index(sn >> 16, 0, l.width - 1);
        const int j =
            p.wrap_t ? wrap_index(tn >> 16, l.height) : clamp_index(tn >> 16, 0, l.height - 1);
        return l.texels[(j + 1) * l.stride + i + 1];
    }
    // Texel centres lie at +0.5; the weights are the top bits of the fraction past them.
    const std::int64_t u = sn - 32768, v = tn - 32768;
    constexpr int kDrop = 16 - kWeightBits;
    const int fu = static_cast<int>((u >> kDrop) & (kWeightOne - 1));
    const int fv = static_cast<int>((v >> kDrop) & (kWeightOne - 1));
    int i0, i1, j0, j1;
    if (p.wrap_s) {
        i0 = wrap_index(u >> 16, l.width);
        i1 = wrap_index(i0 + 1, l.width);
    } else {
        // The border repeats the edge texels: -1 and width both read an edge texel.
        i0 = clamp_index(u >> 16, -1, l.width - 1);
        i1 = i0 + 1;
    }
    if (p.wrap_t) {
        j0 = wrap_index(v >> 16, l.height);
        j1 = wrap_index(j0 + 1, l.height);
    } else {
        j0 = clamp_index(v >> 16, -1, l.height - 1);
        j1 = j0 + 1;
    }
    const std::uint32_t* r0 = l.texels + (j0 + 1) * l.stride + 1;
    const std::uint32_t* r1 = l.texels + (j1 + 1) * l.stride + 1;
    return bilinear(r0[i0], r0[i1], r1[i0], r1[i1], fu, fv);
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

// The parameters at the centre of span i's first pixel; the vector routine does the same
// operations four spans at a time.
inline void span_start(const SpanPlanes& pl, const SpanList& spans, int i, float out[kParamCount]) {
    const double cx = static_cast<double>(spans.x[i]) + 0.5 - pl.origin_x;
    const double cy = static_cast<double>(spans.y[i]) + 0.5 - pl.origin_y;
    for (int k = 0; k < kParamCount; ++k) {
        out[k] = static_cast<float>(pl.at_origin[k] + pl.dx[k] * cx + pl.dy[k] * cy);
    }
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

// shade_pixel for SpanKind::kColorBlend, with the iterated values already held to 0..255.
inline std::uint16_t shade_color_blend_pixel(const Pipeline& p, std::uint16_t dst, int x, int y,
                                             int ir, int ig, int ib, int a) {
    int r = p.constant_r, g = p.constant_g, b = p.constant_b;
    if (p.color_scales_iterated) {
        r = (r * (ir + 1)) >> 8;
        g = (g * (ig + 1)) >> 8;
        b = (b * (ib + 1)) >> 8;
    }
    // Each term is at most its share of 255, so the sum needs no clamp.
    const int src = a + 1, keep = 256 - a;
    const int dr = widen5(dst >> 11), dg = widen6((dst >> 5) & 63), db = widen5(dst & 31);
    return pack565(((r * src) >> 8) + ((dr * keep) >> 8), ((g * src) >> 8) + ((dg * keep) >> 8),
                   ((b * src) >> 8) + ((db * keep) >> 8), x, y, p.dither);
}

}  // namespace glide_math

// Span routines, for the spans of one primitive.
void shade_spans_generic(const Pipeline& p, const SpanList& spans, const SpanPlanes& s);
// The vector routines, for SpanKind::kTextureBlend and for SpanKind::kColorBlend with
// dithering; false when this processor lacks AVX2.
bool vector_spans_available();
// Which instruction set the vector routines use: the best this processor has, or AVX2 even where
// AVX-512 is there (so tests can check both). False when that set is missing.
enum class SpanIsa { kBest, kAvx2 };
bool vector_spans_select(SpanIsa isa);
void shade_spans_texture_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s);
void shade_spans_color_blend_vector(const Pipeline& p, const SpanList& spans, const SpanPlanes& s);
// Picks the routine for the pipeline (tests can force the generic one).
void shade_spans(const Pipeline& p, const SpanList& spans, const SpanPlanes& s);
void glide_force_generic_spans(bool force);
bool glide_generic_spans_forced();
