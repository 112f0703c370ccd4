// Lee's fast cosine transform for the synthesis filter, for one run or many runs side by side.
#include "mpeg/synthesis_dct.h"

#include <cmath>
#include <cstring>

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

template <class V>
[[gnu::always_inline]] inline void batch_body(const float* in, float* out, int stride, int runs) {
    constexpr int L = sizeof(V) / sizeof(float);
    for (int r0 = 0; r0 < runs; r0 += L) {
        int n = runs - r0 < L ? runs - r0 : L;
        V x[32];
        V y[32];
        for (int sb = 0; sb < 32; ++sb) {
            if (n == L) {
                std::memcpy(&x[sb], in + sb * stride + r0, sizeof(V));
            } else {
                float lanes[L] = {};
                for (int i = 0; i < n; ++i) lanes[i] = in[sb * stride + r0 + i];
                std::memcpy(&x[sb], lanes, sizeof(V));
            }
        }
        dct<32>(x, y);
        for (int m = 0; m < 32; ++m) {
            if (n == L) {
                std::memcpy(out + m * stride + r0, &y[m], sizeof(V));
            } else {
                float lanes[L];
                std::memcpy(lanes, &y[m], sizeof(V));
                for (int i = 0; i < n; ++i) out[m * stride + r0 + i] = lanes[i];
            }
        }
    }
}

typedef float V8f __attribute__((vector_size(32)));
typedef float V16f __attribute__((vector_size(64)));

void batch_generic(const float* in, float* out, int stride, int runs) {
    batch_body<V8f>(in, out, stride, runs);
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma"))) void batch_avx2(const float* in, float* out, int stride,
                                                    int runs) {
    batch_body<V8f>(in, out, stride, runs);
}

__attribute__((target("avx512f"))) void batch_avx512(const float* in, float* out, int stride,
                                                     int runs) {
    batch_body<V16f>(in, out, stride, runs);
}
#endif

using BatchFunction = void (*)(const float*, float*, int, int);

BatchFunction choose() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return batch_avx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return batch_avx2;
#endif
    return batch_generic;
}

const BatchFunction kBatch = choose();

}  // namespace

void synthesis_dct32(const float* in, float* out) { dct<32>(in, out); }

void synthesis_dct32_batch(const float* in, float* out, int stride, int runs) {
    kBatch(in, out, stride, runs);
}
