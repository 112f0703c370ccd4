// The synthesis filter: matrixing into the two-bank history, then windowing and conversion.
#include "mpeg/synthesis_filter.h"

#include <cmath>
#include <cstring>

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
template <int N>
inline void dct(const float* x, float* out) {
    if constexpr (N == 1) {
        out[0] = x[0];
    } else {
        constexpr int H = N / 2;
        const float* k = level_constants<N>();
        float g[H], h[H], ge[H], ho[H];
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

}  // namespace

void synthesis_dct32(const float* in, float* out) { dct<32>(in, out); }

SynthesisFilter::SynthesisFilter(int channel, float scale) : channel_(channel), scale_(scale) {
    reset();
}

void SynthesisFilter::reset() {
    std::memset(bank_, 0, sizeof bank_);
    std::memset(input, 0, sizeof input);
    current_ = 0;
    write_position_ = 15;
}

void SynthesisFilter::run(PcmOutput& output) {
    // V[i] = X[16 + i] for i = 0..15, V[16] = 0, V[i] = -X[48 - i] for i = 17..48 and
    // V[i] = -X[i - 48] for i = 49..63, where X is the 32-point transform of the inputs.
    float x[32];
    synthesis_dct32(input, x);
    double* cur = bank_[current_] + 32 * write_position_;
    double* oth = bank_[current_ ^ 1] + 32 * write_position_;
    for (int r = 0; r < 16; ++r) cur[r] = x[16 + r];
    cur[16] = 0.0;
    for (int r = 17; r < 32; ++r) cur[r] = -x[48 - r];
    for (int r = 0; r < 16; ++r) oth[r] = -x[16 - r];
    oth[16] = -x[0];
    for (int r = 17; r < 32; ++r) oth[r] = -x[r - 16];

    std::int16_t samples[32];
    synthesis_window(bank_[current_], write_position_, scale_, samples);
    output.put_samples(channel_, samples, 32);

    write_position_ = (write_position_ + 1) & 15;
    current_ ^= 1;
    std::memset(input, 0, sizeof input);
}
