// Layer III requantisation: |v|^(4/3) times the global gain, then the scale factor gains by band.
#include <algorithm>
#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

namespace {

// Indices past the 64-entry gain table (possible with the wider scale factors of the lower
// sampling frequencies) take its last, quietest entry.
inline float gain_of(const Layer3Tables& t, int index) { return t.gain[std::min(index, 63)]; }

inline void scale_lines(float* out, int from, int to, int limit, float gain) {
    to = std::min(to, limit);
    for (int j = from; j < to; ++j) out[j] *= gain;
}

// out[j] = a * |v|^(4/3) with the sign of v, for the n lines that may be nonzero; power[0] is
// 0, so a zero value gives exactly 0 without a test. The table reaches the largest value a
// code can carry, 15 + 8191. One variant per vector unit (the table look-ups become gathers).
[[gnu::always_inline]] inline void power_lines_body(const int* q, int n, float a,
                                                    const float* power, float* out) {
    for (int j = 0; j < n; ++j) {
        int v = q[j];
        int m = v < 0 ? -v : v;
        m = m < 8206 ? m : 8206;
        float x = a * power[m];
        out[j] = v < 0 ? -x : x;
    }
}

void power_lines_generic(const int* q, int n, float a, const float* power, float* out) {
    power_lines_body(q, n, a, power, out);
}

#if defined(__x86_64__)
// The same with the look-ups as gathers; the sign is set by flipping the sign bit, which is
// the negation for the nonzero values that have a sign.
__attribute__((target("avx2,fma"))) void power_lines_avx2(const int* q, int n, float a,
                                                          const float* power, float* out) {
    const __m256i limit = _mm256_set1_epi32(8206);
    const __m256 va = _mm256_set1_ps(a);
    int j = 0;
    for (; j + 8 <= n; j += 8) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + j));
        __m256i m = _mm256_min_epi32(_mm256_abs_epi32(v), limit);
        __m256 x = _mm256_mul_ps(va, _mm256_i32gather_ps(power, m, 4));
        __m256i sign = _mm256_and_si256(v, _mm256_set1_epi32(static_cast<int>(0x80000000u)));
        _mm256_storeu_ps(out + j, _mm256_xor_ps(x, _mm256_castsi256_ps(sign)));
    }
    power_lines_body(q + j, n - j, a, power, out + j);
}

// GCC's own intrinsics leave a lane "undefined" on purpose and then warn about it.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
__attribute__((target("avx512f"))) void power_lines_avx512(const int* q, int n, float a,
                                                           const float* power, float* out) {
    const __m512i limit = _mm512_set1_epi32(8206);
    const __m512 va = _mm512_set1_ps(a);
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        __m512i v = _mm512_loadu_si512(q + j);
        __m512i m = _mm512_min_epi32(_mm512_abs_epi32(v), limit);
        __m512 x = _mm512_mul_ps(va, _mm512_i32gather_ps(m, power, 4));
        __m512i sign = _mm512_and_si512(v, _mm512_set1_epi32(static_cast<int>(0x80000000u)));
        _mm512_storeu_ps(out + j,
                         _mm512_castsi512_ps(_mm512_xor_si512(_mm512_castps_si512(x), sign)));
    }
    power_lines_body(q + j, n - j, a, power, out + j);
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

using PowerLines = void (*)(const int*, int, float, const float*, float*);

PowerLines choose() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return power_lines_avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return power_lines_avx2;
#endif
    return power_lines_generic;
}

const PowerLines kPowerLines = choose();

}  // namespace

void Layer3Decoder::requantise(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    const ScaleFactors& sf = scale_factors[ch];
    const Layer3Tables& t = layer3_tables();
    float* out = spectrum[ch];
    const int nz = nonzero[ch];

    const float a = static_cast<float>(std::pow(2.0, (g.global_gain - 210) / 4.0));
    kPowerLines(quantised, nz, a, t.power, out);
    for (int j = nz; j < 576; ++j) out[j] = 0.0f;

    const int* lb = kLongBandBoundaries[band_table_index_];
    const int* sb = kShortBandBoundaries[band_table_index_];
    const int shift = g.scale_factor_scale;
    static const int kNoPretab[22] = {};
    const int* pretab = g.preflag ? kPretab : kNoPretab;
    int first_short = 0;
    if (g.any_short()) {
        if (g.mixed_block) {
            for (int k = 0; k < mixed_long_bands(); ++k) {
                int index = (sf.long_band[k] + pretab[k]) << shift;
                scale_lines(out, lb[k], lb[k + 1], nz, gain_of(t, index));
            }
            first_short = 3;
        }
        for (int k = first_short; k < 13; ++k) {
            int width = sb[k + 1] - sb[k];
            for (int w = 0; w < 3; ++w) {
                int start = 3 * sb[k] + w * width;
                int index = 4 * g.subblock_gain[w] + (sf.short_band[w][k] << shift);
                scale_lines(out, start, start + width, nz, gain_of(t, index));
            }
        }
        return;
    }
    for (int k = 0; k < 22; ++k) {
        int index = (sf.long_band[k] + pretab[k]) << shift;
        scale_lines(out, lb[k], lb[k + 1], nz, gain_of(t, index));
    }
}
