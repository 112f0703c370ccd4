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

// Eight lanes of the 32 outputs at a time. The compiler maps these types onto whatever vector
// registers the variant is built for; each lane keeps its own running sum in the order
// t = 0..15, so every variant gives the same bits.
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

[[gnu::always_inline]] inline V8d load(const double* p) {
    V8d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline V8f splat(float f) { return V8f{f, f, f, f, f, f, f, f}; }
[[gnu::always_inline]] inline V8i splat_i(int i) { return V8i{i, i, i, i, i, i, i, i}; }

// Rounds half away from zero after the conversion to single precision (the float is clipped
// first, which gives the same 16-bit result as clipping the double above 32767), truncating
// f + 0.5 with the sign of f: exact, since |f| < 2^15. A sum that is not a number (only corrupt
// streams get there) gives 0.
[[gnu::always_inline]] inline void convert(V8d sum, double scale, std::int16_t* out) {
    V8f f = __builtin_convertvector(sum * scale, V8f);
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

[[gnu::always_inline]] inline void window_body(const double* bank, int p, double scale,
                                               std::int16_t* out) {
    const double* d = kWindow.d;
    V8d a0{}, a1{}, a2{}, a3{};
    for (int t = 0; t < 16; ++t) {
        const double* c = bank + 32 * ((p - t) & 15);
        const double* w = d + 32 * t;
        a0 += load(w) * load(c);
        a1 += load(w + 8) * load(c + 8);
        a2 += load(w + 16) * load(c + 16);
        a3 += load(w + 24) * load(c + 24);
    }
    convert(a0, scale, out);
    convert(a1, scale, out + 8);
    convert(a2, scale, out + 16);
    convert(a3, scale, out + 24);
}

// Two filters at the same write position: the window's values are loaded once for both.
[[gnu::always_inline]] inline void window_pair_body(const double* bank_a, const double* bank_b,
                                                    int p, double scale, std::int16_t* out_a,
                                                    std::int16_t* out_b) {
    const double* d = kWindow.d;
    V8d a0{}, a1{}, a2{}, a3{}, b0{}, b1{}, b2{}, b3{};
    for (int t = 0; t < 16; ++t) {
        int column = 32 * ((p - t) & 15);
        const double* ca = bank_a + column;
        const double* cb = bank_b + column;
        const double* w = d + 32 * t;
        V8d w0 = load(w), w1 = load(w + 8), w2 = load(w + 16), w3 = load(w + 24);
        a0 += w0 * load(ca);
        b0 += w0 * load(cb);
        a1 += w1 * load(ca + 8);
        b1 += w1 * load(cb + 8);
        a2 += w2 * load(ca + 16);
        b2 += w2 * load(cb + 16);
        a3 += w3 * load(ca + 24);
        b3 += w3 * load(cb + 24);
    }
    convert(a0, scale, out_a);
    convert(a1, scale, out_a + 8);
    convert(a2, scale, out_a + 16);
    convert(a3, scale, out_a + 24);
    convert(b0, scale, out_b);
    convert(b1, scale, out_b + 8);
    convert(b2, scale, out_b + 16);
    convert(b3, scale, out_b + 24);
}

void window_generic(const double* bank, int p, double scale, std::int16_t* out) {
    window_body(bank, p, scale, out);
}

void window_pair_generic(const double* bank_a, const double* bank_b, int p, double scale,
                         std::int16_t* out_a, std::int16_t* out_b) {
    window_pair_body(bank_a, bank_b, p, scale, out_a, out_b);
}

#if defined(__x86_64__)
__attribute__((target("avx2,fma"))) void window_avx2(const double* bank, int p, double scale,
                                                     std::int16_t* out) {
    window_body(bank, p, scale, out);
}

__attribute__((target("avx2,fma"))) void window_pair_avx2(const double* bank_a,
                                                          const double* bank_b, int p, double scale,
                                                          std::int16_t* out_a,
                                                          std::int16_t* out_b) {
    window_pair_body(bank_a, bank_b, p, scale, out_a, out_b);
}

__attribute__((target("avx512f"))) void window_avx512(const double* bank, int p, double scale,
                                                      std::int16_t* out) {
    window_body(bank, p, scale, out);
}

__attribute__((target("avx512f"))) void window_pair_avx512(const double* bank_a,
                                                           const double* bank_b, int p,
                                                           double scale, std::int16_t* out_a,
                                                           std::int16_t* out_b) {
    window_pair_body(bank_a, bank_b, p, scale, out_a, out_b);
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
