// The vector span routine for the saver's textured, alpha-blended spans: eight pixels at a time
// with AVX2 (chosen at run time), doing exactly the arithmetic of glide_math::shade_pixel.
#include <immintrin.h>

#include "platform/glide/glide_pipeline.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#define LUMIVEX_AVX2 __attribute__((target("avx2")))

namespace {

// Per-lane lookup in a 16-entry table of which only 0..8 are used (the LOD codes).
LUMIVEX_AVX2 inline __m256i lookup9(const std::int32_t* table, __m256i index) {
    const __m256i lo = _mm256_load_si256(reinterpret_cast<const __m256i*>(table));
    const __m256i hi = _mm256_load_si256(reinterpret_cast<const __m256i*>(table + 8));
    const __m256i from_lo = _mm256_permutevar8x32_epi32(lo, index);
    const __m256i from_hi = _mm256_permutevar8x32_epi32(hi, index);
    const __m256i use_hi = _mm256_cmpgt_epi32(index, _mm256_set1_epi32(7));
    return _mm256_blendv_epi8(from_lo, from_hi, use_hi);
}

// Per 8-bit field of each 0x00RR00BB (or 0x00AA00GG) lane: a + (((b - a) * f) >> 8).
LUMIVEX_AVX2 inline __m256i lerp_fields(__m256i a, __m256i b, __m256i f, __m256i mask) {
    const __m256i d = _mm256_mullo_epi32(_mm256_sub_epi32(b, a), f);
    return _mm256_and_si256(_mm256_add_epi32(_mm256_srli_epi32(d, 8), a), mask);
}

LUMIVEX_AVX2 inline __m256i lerp_texels(__m256i a, __m256i b, __m256i f, __m256i mask) {
    const __m256i rb = lerp_fields(_mm256_and_si256(a, mask), _mm256_and_si256(b, mask), f, mask);
    const __m256i ag = lerp_fields(_mm256_and_si256(_mm256_srli_epi32(a, 8), mask),
                                   _mm256_and_si256(_mm256_srli_epi32(b, 8), mask), f, mask);
    return _mm256_or_si256(rb, _mm256_slli_epi32(ag, 8));
}

// The first and the second texel of each pair, from two registers of four pairs.
LUMIVEX_AVX2 inline __m256i evens(__m256i a, __m256i b) {
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(2, 0, 2, 0)));
}
LUMIVEX_AVX2 inline __m256i odds(__m256i a, __m256i b) {
    return _mm256_castps_si256(
        _mm256_shuffle_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _MM_SHUFFLE(3, 1, 3, 1)));
}

// (2v - (v >> 4) + (v >> shift) + d) >> 4: the board's dither of an 8-bit channel.
template <int kTimes, int kShift>
LUMIVEX_AVX2 inline __m256i dither_channel(__m256i v, __m256i d) {
    const __m256i scaled = _mm256_slli_epi32(v, kTimes == 2 ? 1 : 2);
    const __m256i sum = _mm256_add_epi32(_mm256_sub_epi32(scaled, _mm256_srli_epi32(v, 4)),
                                         _mm256_add_epi32(_mm256_srli_epi32(v, kShift), d));
    return _mm256_srli_epi32(sum, 4);
}

LUMIVEX_AVX2 void span_avx2(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                            const SpanSetup& s) {
    const DecodedTexture& t = *p.texture;
    const std::uint32_t* texels = t.store.data();
    const __m256 lane = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256 a0 = _mm256_set1_ps(s.start[kParamA]), da = _mm256_set1_ps(s.step[kParamA]);
    const __m256 sow0 = _mm256_set1_ps(s.start[kParamSow]);
    const __m256 dsow = _mm256_set1_ps(s.step[kParamSow]);
    const __m256 tow0 = _mm256_set1_ps(s.start[kParamTow]);
    const __m256 dtow = _mm256_set1_ps(s.step[kParamTow]);
    const __m256 oow0 = _mm256_set1_ps(s.start[kParamOow]);
    const __m256 doow = _mm256_set1_ps(s.step[kParamOow]);
    const __m256 rho = _mm256_set1_ps(p.mipmap ? s.rho : 0.0f);
    const __m256i large = _mm256_set1_epi32(t.large_lod), small = _mm256_set1_epi32(t.small_lod);
    const __m256i full_w = _mm256_set1_epi32(t.level_width[t.large_lod] << t.large_lod);
    const __m256i full_h = _mm256_set1_epi32(t.level_height[t.large_lod] << t.large_lod);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i m8 = _mm256_set1_epi32(0x00FF00FF);
    const __m256i ff = _mm256_set1_epi32(0xFF);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 minus_one = _mm256_set1_ps(-1.0f), half = _mm256_set1_ps(0.5f);
    const __m256 c255 = _mm256_set1_ps(255.0f), c256 = _mm256_set1_ps(256.0f);
    const __m256i lane_i = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);

    // The dither values of this row; groups start every 8 pixels, so the pattern repeats.
    const std::uint8_t* m = glide_math::kDither4x4[y & 3];
    const __m256i dither =
        _mm256_setr_epi32(m[x & 3], m[(x + 1) & 3], m[(x + 2) & 3], m[(x + 3) & 3], m[x & 3],
                          m[(x + 1) & 3], m[(x + 2) & 3], m[(x + 3) & 3]);

    std::uint16_t* out = row + x;
    for (int k = 0; k < count; k += 8, out += 8) {
        const __m256 idx = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(k)), lane);
        const __m256 oow = _mm256_add_ps(oow0, _mm256_mul_ps(idx, doow));
        const __m256 sow = _mm256_add_ps(sow0, _mm256_mul_ps(idx, dsow));
        const __m256 tow = _mm256_add_ps(tow0, _mm256_mul_ps(idx, dtow));
        const __m256 alpha_f = _mm256_add_ps(a0, _mm256_mul_ps(idx, da));

        // Perspective division; behind the eye (1/w not above 0) the board samples (0, 0).
        const __m256 in_front = _mm256_cmp_ps(oow, zero, _CMP_GT_OQ);
        const __m256 w = _mm256_div_ps(_mm256_set1_ps(1.0f), oow);
        const __m256 sv = _mm256_and_ps(_mm256_mul_ps(sow, w), in_front);
        const __m256 tv = _mm256_and_ps(_mm256_mul_ps(tow, w), in_front);

        // Level of detail from the exponent of rho / oow, held to the chain.
        const __m256i q = _mm256_castps_si256(_mm256_mul_ps(rho, w));
        __m256i level = _mm256_sub_epi32(_mm256_srli_epi32(q, 23), _mm256_set1_epi32(127));
        level = _mm256_min_epi32(_mm256_max_epi32(level, large), small);
        level = _mm256_blendv_epi8(large, level, _mm256_castps_si256(in_front));

        const __m256i width = _mm256_max_epi32(_mm256_srlv_epi32(full_w, level), one);
        const __m256i height = _mm256_max_epi32(_mm256_srlv_epi32(full_h, level), one);
        const __m256i stride = _mm256_add_epi32(width, _mm256_set1_epi32(2));
        const __m256 scale = _mm256_castsi256_ps(
            _mm256_slli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(127), level), 23));

        __m256 u = _mm256_sub_ps(_mm256_mul_ps(sv, scale), half);
        __m256 v = _mm256_sub_ps(_mm256_mul_ps(tv, scale), half);
        u = _mm256_min_ps(_mm256_max_ps(u, minus_one), _mm256_cvtepi32_ps(width));
        v = _mm256_min_ps(_mm256_max_ps(v, minus_one), _mm256_cvtepi32_ps(height));
        const __m256 fl_u = _mm256_round_ps(u, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
        const __m256 fl_v = _mm256_round_ps(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
        const __m256i fu = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(u, fl_u), c256));
        const __m256i fv = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_sub_ps(v, fl_v), c256));
        const __m256i i0 =
            _mm256_min_epi32(_mm256_cvttps_epi32(fl_u), _mm256_sub_epi32(width, one));
        const __m256i j0 =
            _mm256_min_epi32(_mm256_cvttps_epi32(fl_v), _mm256_sub_epi32(height, one));

        // The border around each level makes clamping free: i0 and j0 are at least -1.
        const __m256i at = _mm256_add_epi32(
            _mm256_add_epi32(lookup9(t.level_offset.data(), level), _mm256_add_epi32(i0, one)),
            _mm256_mullo_epi32(_mm256_add_epi32(j0, one), stride));
        // Each fetch brings a texel and its right-hand neighbour: two rows of pairs, four
        // pixels a gather. After the split the lanes run (0 1 4 5 | 2 3 6 7), so the fractions
        // are put in that order and the result is put back.
        const auto* base = reinterpret_cast<const long long*>(texels);
        const __m256i below = _mm256_add_epi32(at, stride);
        const __m256i r0_lo = _mm256_i32gather_epi64(base, _mm256_castsi256_si128(at), 4);
        const __m256i r0_hi = _mm256_i32gather_epi64(base, _mm256_extracti128_si256(at, 1), 4);
        const __m256i r1_lo = _mm256_i32gather_epi64(base, _mm256_castsi256_si128(below), 4);
        const __m256i r1_hi = _mm256_i32gather_epi64(base, _mm256_extracti128_si256(below, 1), 4);
        const __m256i fu_p = _mm256_permute4x64_epi64(fu, 0xD8);
        const __m256i fv_p = _mm256_permute4x64_epi64(fv, 0xD8);
        const __m256i top = lerp_texels(evens(r0_lo, r0_hi), odds(r0_lo, r0_hi), fu_p, m8);
        const __m256i bottom = lerp_texels(evens(r1_lo, r1_hi), odds(r1_lo, r1_hi), fu_p, m8);
        const __m256i texel = _mm256_permute4x64_epi64(lerp_texels(top, bottom, fv_p, m8), 0xD8);

        // Iterated alpha, held to 0..255, then the blend with the widened destination.
        const __m256i alpha =
            _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(alpha_f, zero), c255));
        const __m256i src_f = _mm256_add_epi32(alpha, one);
        const __m256i dst_f = _mm256_sub_epi32(_mm256_set1_epi32(256), alpha);
        const __m128i old16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out));
        const __m256i old = _mm256_cvtepu16_epi32(old16);
        const __m256i r5 = _mm256_srli_epi32(old, 11);
        const __m256i g6 = _mm256_and_si256(_mm256_srli_epi32(old, 5), _mm256_set1_epi32(63));
        const __m256i b5 = _mm256_and_si256(old, _mm256_set1_epi32(31));
        const __m256i dr = _mm256_or_si256(_mm256_slli_epi32(r5, 3), _mm256_srli_epi32(r5, 2));
        const __m256i dg = _mm256_or_si256(_mm256_slli_epi32(g6, 2), _mm256_srli_epi32(g6, 4));
        const __m256i db = _mm256_or_si256(_mm256_slli_epi32(b5, 3), _mm256_srli_epi32(b5, 2));
        const __m256i d_rb = _mm256_or_si256(_mm256_slli_epi32(dr, 16), db);

        const __m256i s_rb = _mm256_and_si256(texel, m8);
        const __m256i s_g = _mm256_and_si256(_mm256_srli_epi32(texel, 8), ff);
        const __m256i rb = _mm256_add_epi32(
            _mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(s_rb, src_f), 8), m8),
            _mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(d_rb, dst_f), 8), m8));
        const __m256i g = _mm256_add_epi32(_mm256_srli_epi32(_mm256_mullo_epi32(s_g, src_f), 8),
                                           _mm256_srli_epi32(_mm256_mullo_epi32(dg, dst_f), 8));

        // Dither down to 5/6/5 and pack.
        const __m256i r_out = dither_channel<2, 7>(_mm256_srli_epi32(rb, 16), dither);
        const __m256i g_out = dither_channel<4, 6>(g, dither);
        const __m256i b_out = dither_channel<2, 7>(_mm256_and_si256(rb, ff), dither);
        __m256i pixel = _mm256_or_si256(
            _mm256_or_si256(_mm256_slli_epi32(r_out, 11), _mm256_slli_epi32(g_out, 5)), b_out);

        // Lanes past the span's end keep what was there.
        const __m256i live = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - k), lane_i);
        pixel = _mm256_blendv_epi8(old, pixel, live);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(pixel, pixel), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
    }
}

}  // namespace

bool texture_blend_span_available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

void shade_span_texture_blend(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                              const SpanSetup& s) {
    span_avx2(p, row, x, count, y, s);
}

#else

bool texture_blend_span_available() { return false; }

void shade_span_texture_blend(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                              const SpanSetup& s) {
    shade_span_generic(p, row, x, count, y, s);
}

#endif
