// The frame scaler's row routines, one set per instruction set, and the rules they share.
#pragma once

#include <cstddef>
#include <cstdint>

// Rows handed to the routines are padded: a vector routine may read and write up to
// kScalerPad elements past the last real one, and the smoothing reads two before the first.
constexpr int kScalerPad = 32;

// The smoothing's kernel, 1 2 2 2 1 along each axis: it cancels every period of the 4x4 ordered
// dither exactly (its response is zero at a half and a quarter of the sampling rate), so a flat
// dithered area comes out as its true mean. Sums are in eighths of a step per axis.
constexpr int kSmoothSumBits = 3;
constexpr int kSumStep = 1 << kSmoothSumBits;
// The gamma tables take a channel in sixteenths of a 565 step.
constexpr int kGammaIndexBits = 4;
constexpr int kRedEntries = (31 << kGammaIndexBits) + 1;
constexpr int kGreenEntries = (63 << kGammaIndexBits) + 1;

// The gamma curve of one channel, for c whole steps and f sixteenths: exact at whole steps
// (base), between them a chord (rise) bent by a parabola (bulge) through the true curve's
// midpoint. Sixty-four entries each, whatever the channel's width.
struct GammaCurve {
    std::uint16_t base[64];
    std::uint16_t rise[64];
    std::uint16_t bulge[64];
};

inline int gamma_curve_value(const GammaCurve& g, int index) {
    const int c = index >> kGammaIndexBits, f = index & 15;
    return g.base[c] + ((g.rise[c] * f + ((g.bulge[c] * f * (16 - f)) >> 4) + 8) >> 4);
}

struct GammaTables {
    // The curves' values in place in the pixel (the blue one carrying the fill bits), for
    // looking up; and the curves themselves with the layout, for computing them in registers.
    const std::uint32_t* red;
    const std::uint32_t* green;
    const std::uint32_t* blue;
    const GammaCurve* curves;  // red, green, blue
    int red_shift, green_shift, blue_shift;
    std::uint32_t fill;
};

struct ScalerRoutines {
    // One padded RGB565 row (src[-2] .. src[width + kScalerPad + 1] readable; only
    // src[-2] .. src[width + 1] where width is a multiple of kScalerPad) to its
    // horizontal sums per channel (red, green, blue): 2c plus, for each neighbour at distance 1
    // (weight 2) and 2 (weight 1), the neighbour where it is within one step of the centre c,
    // else c itself.
    void (*smooth_row_sums)(const std::uint16_t* src, int width, std::uint16_t* const sums[3]);
    // The vertical pass over five rows' sums (row i's channel k at sums[3 i + k]; row 2 is the
    // one being made): the same rule, a row's sum counting where it is within one step of the
    // centre row's, then the gamma curves, into 32-bit pixels.
    void (*smooth_row_finish)(const std::uint16_t* const sums[15], int width,
                              const GammaTables& tables, std::uint32_t* out);
    // Each byte of `a` and `b` blended by blend_pixel, w in 0..63; writes exactly `count`. The
    // writes may bypass the caches and reach memory out of order: stores_done() puts them in
    // order once the frame is drawn.
    void (*blend_rows)(const std::uint32_t* a, const std::uint32_t* b, int count, int weight,
                       std::uint32_t* out);
    // out[i] = the blend of row[index[i]] and row[index[i] + 1] by weight w, given as
    // weight_pairs[i] = p | p << 16 with p = blend_weight_pair(w).
    // The indices rise by at most two per position (an enlargement, or a reduction to no less
    // than half: sixteen positions then span at most 32 pixels); index and weight_pairs are
    // readable kScalerPad past `count`, and the row kScalerPad past its last index. Writes
    // exactly `count` pixels.
    void (*scale_row)(const std::uint32_t* row, const std::int32_t* index,
                      const std::int32_t* weight_pairs, int count, std::uint32_t* out);
    // Every write blend_rows made is in memory before any write that follows.
    void (*stores_done)();
};

extern const ScalerRoutines kPortableScaler;
// Null where the compiler or the processor lacks the set.
const ScalerRoutines* avx2_scaler();
const ScalerRoutines* avx512_scaler();

// Blend weights are in 64ths, 0..63 for the second pixel: both weights of a pair then fit the
// signed bytes of a vector multiply-add.
constexpr int kBlendBits = 6;

// A blend weight w as the byte pair (64 - w, w) that a vector multiply-add of byte pairs takes.
constexpr std::int32_t blend_weight_pair(int w) { return ((1 << kBlendBits) - w) | w << 8; }

// One byte-wise blend of two pixels, shared by every routine so that all round alike: the sum
// a vector's multiply-add of byte pairs forms, (a (64 - w) + b w + 32) / 64. Two bytes at a
// time in 16-bit fields, which never carry into each other (255 * 64 + 32 < 65536).
inline std::uint32_t blend_pixel(std::uint32_t a, std::uint32_t b, int w) {
    constexpr std::uint32_t kFields = 0x00FF00FFu;
    constexpr std::uint32_t kHalf = 0x00010001u << (kBlendBits - 1);
    const std::uint32_t keep = static_cast<std::uint32_t>((1 << kBlendBits) - w);
    const std::uint32_t take = static_cast<std::uint32_t>(w);
    const std::uint32_t even =
        (((a & kFields) * keep + (b & kFields) * take + kHalf) >> kBlendBits) & kFields;
    const std::uint32_t odd =
        ((((a >> 8) & kFields) * keep + ((b >> 8) & kFields) * take + kHalf) >> kBlendBits) &
        kFields;
    return even | (odd << 8);
}
