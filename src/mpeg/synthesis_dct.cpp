// Lee's fast cosine transform for the synthesis filter, for one run or many runs side by side.
#include "mpeg/synthesis_dct.h"

#include <cmath>
#include <cstring>

#include "mpeg/vector_transpose.h"

// The vector helpers below are always inlined; the note about passing vectors by value
// across an ABI boundary does not apply to them.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

// k(m) = 1 / (2 cos(m pi / 64)) for each level of the factorisation, in double, kept as float.
struct DctConstants {
    float k32[16];  // m = 1, 3, ..., 31
    float k16[8];   // m = 2, 6, ..., 30
    float k8[4];    // m = 4, 12, 20, 28
    float k4[2];    // m = 8, 24
    float k2[1];    // m = 16
};

DctConstants make_dct_constants() {
    DctConstants c{};
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 16; ++i)
        c.k32[i] = static_cast<float>(0.5 / std::cos((2 * i + 1) * pi / 64));
    for (int i = 0; i < 8; ++i)
        c.k16[i] = static_cast<float>(0.5 / std::cos((2 * i + 1) * pi / 32));
    for (int i = 0; i < 4; ++i) c.k8[i] = static_cast<float>(0.5 / std::cos((2 * i + 1) * pi / 16));
    for (int i = 0; i < 2; ++i) c.k4[i] = static_cast<float>(0.5 / std::cos((2 * i + 1) * pi / 8));
    c.k2[0] = static_cast<float>(0.5 / std::cos(pi / 4));
    return c;
}

const DctConstants kDct = make_dct_constants();

template <int N>
const float* level_constants() {
    if constexpr (N == 32) return kDct.k32;
    if constexpr (N == 16) return kDct.k16;
    if constexpr (N == 8) return kDct.k8;
    if constexpr (N == 4) return kDct.k4;
    return kDct.k2;
}

// One level of Lee's decomposition: the mirrored sums form a half-size transform giving the
// even outputs, the scaled differences another giving the odd outputs by neighbouring sums.
// The recursion is resolved at compile time, so the whole transform is straight-line code.
// T is float for one run or a vector of floats for several.
template <int N, class T>
[[gnu::always_inline]] inline void dct(const T* x, T* out) {
    if constexpr (N == 1) {
        out[0] = x[0];
    } else {
        constexpr int H = N / 2;
        const float* k = level_constants<N>();
        T g[H], h[H], ge[H], ho[H];
        for (int i = 0; i < H; ++i) {
            g[i] = x[i] + x[N - 1 - i];
            h[i] = (x[i] - x[N - 1 - i]) * k[i];
        }
        dct<H>(g, ge);
        dct<H>(h, ho);
        for (int m = 0; m < H; ++m) out[2 * m] = ge[m];
        for (int m = 0; m < H - 1; ++m) out[2 * m + 1] = ho[m] + ho[m + 1];
        out[N - 1] = ho[H - 1];
    }
}

// Eight runs side by side (each lane one run), in blocks of eight: wider vectors would only
// leave more lanes idle in the last block of a frame's 36 or a granule's 18 runs.
[[gnu::always_inline]] inline void batch_body(const float* in, int run_stride, int sb_stride,
                                              int runs, float* out) {
    const bool run_major = sb_stride == 1;
    for (int r0 = 0; r0 < runs; r0 += 8) {
        int n = runs - r0 < 8 ? runs - r0 : 8;
        V8f x[32];
        V8f y[32];
        if (run_major && n == 8) {
            // Runs stored one after the other: blocks of eight subbands are transposed into
            // vectors over the runs.
            for (int sb0 = 0; sb0 < 32; sb0 += 8) {
                V8f block[8];
                for (int i = 0; i < 8; ++i) {
                    std::memcpy(&block[i], in + (r0 + i) * run_stride + sb0, sizeof(V8f));
                }
                transpose8(block, x + sb0);
            }
        } else {
            for (int sb = 0; sb < 32; ++sb) {
                if (!run_major && n == 8) {
                    std::memcpy(&x[sb], in + sb * sb_stride + r0, sizeof(V8f));
                } else {
                    float lanes[8] = {};
                    for (int i = 0; i < n; ++i)
                        lanes[i] = in[(r0 + i) * run_stride + sb * sb_stride];
                    std::memcpy(&x[sb], lanes, sizeof(V8f));
                }
            }
        }
        dct<32>(x, y);
        // Each run's 32 outputs side by side: transposed in blocks of eight.
        for (int m0 = 0; m0 < 32; m0 += 8) {
            V8f t[8];
            transpose8(y + m0, t);
            for (int lane = 0; lane < n; ++lane) {
                std::memcpy(out + (r0 + lane) * 32 + m0, &t[lane], sizeof(V8f));
            }
        }
    }
}

void batch_generic(const float* in, int run_stride, int sb_stride, int runs, float* out) {
    batch_body(in, run_stride, sb_stride, runs, out);
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma"))) void batch_avx2(const float* in, int run_stride, int sb_stride,
                                                    int runs, float* out) {
    batch_body(in, run_stride, sb_stride, runs, out);
}

#endif

using BatchFunction = void (*)(const float*, int, int, int, float*);

BatchFunction choose() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return batch_avx2;
#endif
    return batch_generic;
}

const BatchFunction kBatch = choose();

}  // namespace

void synthesis_dct32(const float* in, float* out) { dct<32>(in, out); }

void synthesis_dct32_batch(const float* in, int run_stride, int sb_stride, int runs, float* out) {
    kBatch(in, run_stride, sb_stride, runs, out);
}
