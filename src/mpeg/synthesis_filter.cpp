// The synthesis filter: matrixing into the two-bank history, then windowing and conversion.
#include "mpeg/synthesis_filter.h"

#include <cstring>

#include "mpeg/synthesis_dct.h"

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
    float x[32];
    synthesis_dct32(input, x);
    run_transformed(x, output);
    std::memset(input, 0, sizeof input);
}

void SynthesisFilter::run_transformed(const float* x, PcmOutput& output) {
    // V[i] = X[16 + i] for i = 0..15, V[16] = 0, V[i] = -X[48 - i] for i = 17..48 and
    // V[i] = -X[i - 48] for i = 49..63, where X is the 32-point transform of the inputs:
    // V[0..31] goes into column p of the current bank, V[32..63] into column p of the other.
    double* cur = bank_[current_] + 32 * write_position_;
    double* oth = bank_[current_ ^ 1] + 32 * write_position_;
    for (int r = 0; r < 16; ++r) cur[r] = x[16 + r];
    cur[16] = 0.0;
    for (int r = 17; r < 32; ++r) cur[r] = -x[48 - r];
    for (int r = 0; r <= 16; ++r) oth[r] = -x[16 - r];
    for (int r = 17; r < 32; ++r) oth[r] = -x[r - 16];

    std::int16_t samples[32];
    synthesis_window(bank_[current_], write_position_, scale_, samples);
    output.put_samples(channel_, samples, 32);

    write_position_ = (write_position_ + 1) & 15;
    current_ ^= 1;
}
