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
// The gamma tables take a channel in sixteenths of a 565 step.
constexpr int kGammaIndexBits = 4;
constexpr int kRedEntries = (31 << kGammaIndexBits) + 1;
constexpr int kGreenEntries = (63 << kGammaIndexBits) + 1;

struct GammaTables {
    const std::uint32_t* red;
    const std::uint32_t* green;
    const std::uint32_t* blue;
};

struct ScalerRoutines {
    // One padded RGB565 row (src[-2] .. src[width + kScalerPad + 1] readable) to its horizontal
    // sums per channel: 2c plus, for each neighbour at distance 1 (weight 2) and 2 (weight 1),
    // the neighbour where it is within one step of the centre c, else c itself.
    void (*smooth_row_sums)(const std::uint16_t* src, int width, std::uint16_t* red,
                            std::uint16_t* green, std::uint16_t* blue);
    // The vertical pass over five rows (index 2 is the row being made): the same rule on the
    // sums, comparing the rows' own RGB565 channels, then the gamma tables, into 32-bit pixels.
    // `sums` holds red, green and blue for each of the five rows.
    void (*smooth_row_finish)(const std::uint16_t* const rows[5],
                              const std::uint16_t* const sums[15], int width,
                              const GammaTables& tables, std::uint32_t* out);
    // Each byte of `a` and `b` blended, (a (256 - w) + b w + 128) / 256, w in 0..256.
    void (*blend_rows)(const std::uint32_t* a, const std::uint32_t* b, int count, int weight,
                       std::uint32_t* out);
    // out[i] = the blend of row[index[i]] and row[index[i] + 1] by weight[i]. The indices rise by
    // at most one per position (an enlargement); index and weight are readable kScalerPad past
    // `count`. Writes exactly `count` pixels.
    void (*scale_row)(const std::uint32_t* row, const std::int32_t* index,
                      const std::int32_t* weight, int count, std::uint32_t* out);
};

extern const ScalerRoutines kPortableScaler;
// Null where the compiler or the processor lacks the set.
const ScalerRoutines* avx2_scaler();
const ScalerRoutines* avx512_scaler();

// One byte-wise blend of two pixels, shared by every routine so that all round alike.
inline std::uint32_t blend_pixel(std::uint32_t a, std::uint32_t b, int w) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 255u);
        const int cb = static_cast<int>((b >> shift) & 255u);
        // The same sum a 16-bit vector lane forms: a * 256 + (b - a) * w + 128, taken mod 2^16
        // (it never exceeds 255 * 256 + 128).
        const int v = ((ca * 256 + (cb - ca) * w + 128) & 0xFFFF) >> 8;
        out |= static_cast<std::uint32_t>(v) << shift;
    }
    return out;
}
