// Layer III inverse transform with overlap-add, frequency inversion and the synthesis hand-off.
#include <cstring>

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"
#include "mpeg/synthesis_dct.h"
#include "mpeg/vector_transpose.h"

// The vector helpers below are always inlined; the note about passing vectors by value
// across an ABI boundary does not apply to them.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

// cos(k * 10 degrees) and friends, for the 9-point transforms.
constexpr float kC10 = 0.98480775301220805936f;
constexpr float kC20 = 0.93969262078590838405f;
constexpr float kC30 = 0.86602540378443864676f;  // sqrt(3) / 2
constexpr float kC40 = 0.76604444311897803520f;
constexpr float kC50 = 0.64278760968653932632f;
constexpr float kC70 = 0.34202014332566873304f;
constexpr float kC80 = 0.17364817766693034885f;
// 1 / (2 cos((2m + 1) * 5 degrees)), m = 0..8.
constexpr float kK36[9] = {
    0.50190991877167369479f, 0.51763809020504152470f, 0.55168895948124587825f,
    0.61038729438072803416f, 0.70710678118654752440f, 0.87172339781054900991f,
    1.18310079157624925896f, 1.93185165257813657350f, 5.73685662283492756461f,
};
// cos(15), cos(45), cos(75) degrees, for the 6-point transform.
constexpr float kC15 = 0.96592582628906828675f;
constexpr float kC45 = 0.70710678118654752440f;
constexpr float kC75 = 0.25881904510252076235f;

// t[m] = sum over r of a[r] cos(r (2m + 1) 10 degrees), m = 0..8: even and odd r apart, the
// outputs in mirrored pairs.
template <class T>
[[gnu::always_inline]] inline void cosine9(const T* a, T* t) {
    T e0 = a[0] + a[2] * kC20 + a[4] * kC40 + a[6] * 0.5f + a[8] * kC80;
    T e1 = a[0] + (a[2] - a[4] - a[8]) * 0.5f - a[6];
    T e2 = a[0] - a[2] * kC80 - a[4] * kC20 + a[6] * 0.5f + a[8] * kC40;
    T e3 = a[0] - a[2] * kC40 + a[4] * kC80 + a[6] * 0.5f - a[8] * kC20;
    T e4 = a[0] - a[2] + a[4] - a[6] + a[8];
    T o0 = a[1] * kC10 + a[3] * kC30 + a[5] * kC50 + a[7] * kC70;
    T o1 = (a[1] - a[5] - a[7]) * kC30;
    T o2 = a[1] * kC50 - a[3] * kC30 - a[5] * kC70 + a[7] * kC10;
    T o3 = a[1] * kC70 - a[3] * kC30 + a[5] * kC10 - a[7] * kC50;
    t[0] = e0 + o0;
    t[8] = e0 - o0;
    t[1] = e1 + o1;
    t[7] = e1 - o1;
    t[2] = e2 + o2;
    t[6] = e2 - o2;
    t[3] = e3 + o3;
    t[5] = e3 - o3;
    t[4] = e4;
}

// The 36-point inverse transform of 18 lines, windowed. Through the relation between the
// inverse transform and the type-IV cosine transform, and that one's relation to a type-III
// transform of the pairwise sums u[k] = x[k] + x[k - 1], the work is two 9-point transforms;
// the factors 1 / (2 cos((2m + 1) 2.5 degrees)) that remain at the outputs are part of window.
template <class T>
[[gnu::always_inline]] inline void imdct36(const T* x, const float* window, T* out) {
    T u[18];
    u[0] = x[0];
    for (int k = 1; k < 18; ++k) u[k] = x[k] + x[k - 1];
    T even[9], odd[9], te[9], to[9];
    for (int r = 0; r < 9; ++r) even[r] = u[2 * r];
    odd[0] = u[1];
    for (int r = 1; r < 9; ++r) odd[r] = u[2 * r + 1] + u[2 * r - 1];
    cosine9(even, te);
    cosine9(odd, to);
    T w[18];
    for (int m = 0; m < 9; ++m) {
        T o = to[m] * kK36[m];
        w[m] = te[m] + o;
        w[17 - m] = te[m] - o;
    }
    for (int i = 0; i < 9; ++i) out[i] = w[i + 9] * window[i];
    for (int i = 9; i < 27; ++i) out[i] = w[26 - i] * window[i];
    for (int i = 27; i < 36; ++i) out[i] = w[i - 27] * window[i];
}

// The 12-point inverse transform of 6 lines, windowed by the short window (with the output
// factors 1 / (2 cos((2m + 1) 7.5 degrees)) folded in), added into out[0..11].
inline void imdct12_add(const float* x, const float* window, float* out) {
    float u0 = x[0];
    float u1 = x[1] + x[0];
    float u2 = x[2] + x[1];
    float u3 = x[3] + x[2];
    float u4 = x[4] + x[3];
    float u5 = x[5] + x[4];
    float e0 = u0 + u2 * kC30 + u4 * 0.5f;
    float e1 = u0 - u4;
    float e2 = u0 - u2 * kC30 + u4 * 0.5f;
    float o0 = u1 * kC15 + u3 * kC45 + u5 * kC75;
    float o1 = (u1 - u3 - u5) * kC45;
    float o2 = u1 * kC75 - u3 * kC45 + u5 * kC15;
    float w[6] = {e0 + o0, e1 + o1, e2 + o2, e2 - o2, e1 - o1, e0 - o0};
    for (int i = 0; i < 3; ++i) out[i] += w[i + 3] * window[i];
    for (int i = 3; i < 9; ++i) out[i] += w[8 - i] * window[i];
    for (int i = 9; i < 12; ++i) out[i] += w[i - 9] * window[i];
}

// Eight subbands with the same long window, side by side in the lanes of the vector unit:
// their lines are transposed in, transformed with the very operations of the single-subband
// code, and transposed back with the overlap added. lines must have 6 readable floats past
// the eighth subband's 18.
[[gnu::always_inline]] inline void long_group_body(float* lines, float* overlap,
                                                   const float* window) {
    V8f x[24];
    for (int block = 0; block < 3; ++block) {
        V8f rows[8];
        for (int i = 0; i < 8; ++i) std::memcpy(&rows[i], lines + 18 * i + 8 * block, sizeof(V8f));
        transpose8(rows, x + 8 * block);
    }
    V8f out[40];
    imdct36(x, window, out);
    out[36] = out[37] = out[38] = out[39] = V8f{};
    // Back to subbands: out[0..17] plus the old overlap are the lines, out[18..35] the new
    // overlap; a block of eight outputs at a time, the last two of each half in a short block.
    for (int half = 0; half < 2; ++half) {
        for (int block = 0; block < 3; ++block) {
            V8f part[8], rows[8];
            for (int i = 0; i < 8; ++i) {
                int k = 8 * block + i;
                part[i] = k < 18 ? out[18 * half + k] : V8f{};
            }
            transpose8(part, rows);
            int width = block < 2 ? 8 : 2;
            for (int i = 0; i < 8; ++i) {
                float values[8];
                std::memcpy(values, &rows[i], sizeof values);
                float* line = lines + 18 * i + 8 * block;
                float* over = overlap + 18 * i + 8 * block;
                for (int c = 0; c < width; ++c) {
                    if (half == 0) {
                        line[c] = values[c] + over[c];
                    } else {
                        over[c] = values[c];
                    }
                }
            }
        }
    }
}

void long_group_generic(float* lines, float* overlap, const float* window) {
    long_group_body(lines, overlap, window);
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma"))) void long_group_avx2(float* lines, float* overlap,
                                                         const float* window) {
    long_group_body(lines, overlap, window);
}
#endif

using LongGroup = void (*)(float*, float*, const float*);

LongGroup choose() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return long_group_avx2;
#endif
    return long_group_generic;
}

const LongGroup kLongGroup = choose();

}  // namespace

void Layer3Decoder::inverse_transform(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    const Layer3Tables& t = layer3_tables();
    float* ov = overlap[ch];
    for (int sb0 = 0; sb0 < 32; sb0 += 8) {
        // A mixed block transforms its two lowest subbands with the normal window whatever the
        // block type of the rest.
        int bt[8];
        bool same = true;
        bool silent = true;
        for (int i = 0; i < 8; ++i) {
            int sb = sb0 + i;
            bt[i] = (g.window_switching && g.mixed_block && sb < 2)
                        ? 0
                        : (g.window_switching ? g.block_type : 0);
            same = same && bt[i] == bt[0];
        }
        for (int i = 0; i < 18 * 8; ++i) silent = silent && work[18 * sb0 + i] == 0.0f;
        if (silent) {
            // All-zero lines transform to zeros: only the overlap comes out.
            std::memcpy(work + 18 * sb0, ov + 18 * sb0, 18 * 8 * sizeof(float));
            std::memset(ov + 18 * sb0, 0, 18 * 8 * sizeof(float));
            continue;
        }
        if (same && bt[0] != 2) {
            kLongGroup(work + 18 * sb0, ov + 18 * sb0, t.long_window[bt[0]]);
            continue;
        }
        for (int i = 0; i < 8; ++i) {
            float* lines = work + 18 * (sb0 + i);
            float* o = ov + 18 * (sb0 + i);
            float out[36];
            if (bt[i] == 2) {
                std::memset(out, 0, sizeof out);
                for (int w = 0; w < 3; ++w) {
                    float x[6];
                    for (int m = 0; m < 6; ++m) x[m] = lines[3 * m + w];
                    imdct12_add(x, t.short_window, out + 6 + 6 * w);
                }
            } else {
                imdct36(lines, t.long_window[bt[i]], out);
            }
            for (int k = 0; k < 18; ++k) {
                lines[k] = out[k] + o[k];
                o[k] = out[18 + k];
            }
        }
    }
}

void Layer3Decoder::frequency_inversion() {
    for (int sb = 1; sb < 32; sb += 2) {
        for (int k = 1; k < 18; k += 2) work[18 * sb + k] = -work[18 * sb + k];
    }
}

void Layer3Decoder::synthesise(int ch) {
    // Run k takes work[18 sb + k] as its input slot sb; the matrixing transforms of all 18 runs
    // are done side by side first.
    synthesis_dct32_batch(work, 1, 18, 18, transformed_[ch]);
    if (channels_ == 2 && right_ != nullptr) {
        // Channel 0's runs wait for channel 1's so that the two filters window side by side;
        // the output still receives all of channel 0's samples before channel 1's.
        if (ch == 0) return;
        std::int16_t right_samples[18 * 32];
        for (int k = 0; k < 18; ++k) {
            run_transformed_pair(*left_, transformed_[0] + 32 * k, *right_,
                                 transformed_[1] + 32 * k, *output_, right_samples + 32 * k);
        }
        for (int k = 0; k < 18; ++k) {
            output_->put_samples(right_->channel(), right_samples + 32 * k, 32);
        }
        return;
    }
    if (ch == 0) {
        for (int k = 0; k < 18; ++k) left_->run_transformed(transformed_[0] + 32 * k, *output_);
    }
}
