// The window step of the synthesis filter, one variant per vector unit, chosen at run time.
#include <cstring>

#include "mpeg/synthesis_filter.h"
#include "mpeg/synthesis_tables.h"

// The vector helpers below are always inlined; the note about passing vectors by value
// across an ABI boundary does not apply to them.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

// The sums are kept in vectors of doubles as wide as the variant's registers, a block of
// outputs at a time so that the running sums stay in registers. Each lane keeps its own
// running sum in the order t = 0..15, so every variant gives the same bits; the products of
// a float and a window value (a multiple of 2^-16 with at most 17 significant bits) are exact
// in double, so a fused multiply-add gives the same sums as a multiply and an add.
typedef double V2d __attribute__((vector_size(16)));
typedef double V4d __attribute__((vector_size(32)));
typedef double V8d __attribute__((vector_size(64)));
typedef float V8f __attribute__((vector_size(32)));
typedef int V8i __attribute__((vector_size(32)));
typedef short V8s __attribute__((vector_size(16)));

struct Window {
    alignas(64) double d[512];
};

Window make_window() {
    Window w{};
    for (int i = 0; i < 512; ++i) w.d[i] = kSynthesisWindowNumerators[i] / 65536.0;
    return w;
}

const Window kWindow = make_window();

template <class V>
[[gnu::always_inline]] inline V load(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline V8f splat(float f) { return V8f{f, f, f, f, f, f, f, f}; }
[[gnu::always_inline]] inline V8i splat_i(int i) { return V8i{i, i, i, i, i, i, i, i}; }

// Rounds half away from zero after the conversion to single precision (the float is clipped
// first, which gives the same 16-bit result as clipping the double above 32767), truncating
// f + 0.5 with the sign of f: exact, since |f| < 2^15. A sum that is not a number (only corrupt
// streams get there) gives 0.
[[gnu::always_inline]] inline void convert(const double* sums, double scale, std::int16_t* out) {
    V8f f = __builtin_convertvector(load<V8d>(sums) * scale, V8f);
    f = (V8f)((V8i)f & (f == f));
    const V8f low = splat(-32768.0f);
    const V8f high = splat(32767.0f);
    f = f < low ? low : f;
    f = f > high ? high : f;
    V8f half = (V8f)(((V8i)f & splat_i(static_cast<int>(0x80000000u))) | (V8i)splat(0.5f));
    V8i r = __builtin_convertvector(f + half, V8i);
    V8s s = __builtin_convertvector(r, V8s);
    std::memcpy(out, &s, sizeof s);
}

// Windowing of `count` banks (1 or 2) standing at the same write position p: outputs in blocks
// of B, vectors of type V; the window's values are loaded once for all banks.
template <class V, int B, int count>
[[gnu::always_inline]] inline void window_body(const double* const* banks, int p, double scale,
                                               std::int16_t* const* outs) {
    constexpr int L = sizeof(V) / sizeof(double);
    constexpr int N = B / L;
    alignas(64) double sums[count][32];
    for (int j0 = 0; j0 < 32; j0 += B) {
        V acc[count][N] = {};
        for (int t = 0; t < 16; ++t) {
            int column = 32 * ((p - t) & 15) + j0;
            const double* w = kWindow.d + 32 * t + j0;
            for (int i = 0; i < N; ++i) {
                V wi = load<V>(w + L * i);
                for (int b = 0; b < count; ++b)
                    acc[b][i] += wi * load<V>(banks[b] + column + L * i);
            }
        }
        for (int b = 0; b < count; ++b) std::memcpy(sums[b] + j0, acc[b], sizeof acc[b]);
    }
    for (int b = 0; b < count; ++b) {
        for (int k = 0; k < 32; k += 8) convert(sums[b] + k, scale, outs[b] + k);
    }
}

void window_generic(const double* bank, int p, double scale, std::int16_t* out) {
    window_body<V2d, 16, 1>(&bank, p, scale, &out);
}

void window_pair_generic(const double* bank_a, const double* bank_b, int p, double scale,
                         std::int16_t* out_a, std::int16_t* out_b) {
    const double* banks[2] = {bank_a, bank_b};
    std::int16_t* outs[2] = {out_a, out_b};
    window_body<V2d, 8, 2>(banks, p, scale, outs);
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma"))) void window_avx2(const double* bank, int p, double scale,
                                                     std::int16_t* out) {
    window_body<V4d, 32, 1>(&bank, p, scale, &out);
}

__attribute__((target("avx2,fma"))) void window_pair_avx2(const double* bank_a,
                                                          const double* bank_b, int p, double scale,
                                                          std::int16_t* out_a,
                                                          std::int16_t* out_b) {
    const double* banks[2] = {bank_a, bank_b};
    std::int16_t* outs[2] = {out_a, out_b};
    window_body<V4d, 16, 2>(banks, p, scale, outs);
}

__attribute__((target("avx512f"))) void window_avx512(const double* bank, int p, double scale,
                                                      std::int16_t* out) {
    window_body<V8d, 32, 1>(&bank, p, scale, &out);
}

__attribute__((target("avx512f"))) void window_pair_avx512(const double* bank_a,
                                                           const double* bank_b, int p,
                                                           double scale, std::int16_t* out_a,
                                                           std::int16_t* out_b) {
    const double* banks[2] = {bank_a, bank_b};
    std::int16_t* outs[2] = {out_a, out_b};
    window_body<V8d, 32, 2>(banks, p, scale, outs);
}
#endif
using WindowFunction = void (*)(const double*, int, double, std::int16_t*);
using PairFunction = void (*)(const double*, const double*, int, double, std::int16_t*,
                              std::int16_t*);

struct Kernels {
    WindowFunction single;
    PairFunction pair;
};

Kernels choose() {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return {window_avx512, window_pair_avx512};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return {window_avx2, window_pair_avx2};
    }
#endif
    return {window_generic, window_pair_generic};
}

const Kernels kKernels = choose();

}  // namespace

void synthesis_window(const double* bank, int write_position, double scale, std::int16_t* out) {
    kKernels.single(bank, write_position, scale, out);
}

void synthesis_window_pair(const double* bank_a, const double* bank_b, int write_position,
                           double scale, std::int16_t* out_a, std::int16_t* out_b) {
    kKernels.pair(bank_a, bank_b, write_position, scale, out_a, out_b);
}

const double* synthesis_window_coefficients() { return kWindow.d; }
