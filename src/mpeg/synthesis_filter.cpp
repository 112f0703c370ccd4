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

void SynthesisFilter::store_column(const float* x) {
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
}

void SynthesisFilter::run_transformed(const float* x, PcmOutput& output) {
    store_column(x);
    std::int16_t samples[32];
    synthesis_window(bank_[current_], write_position_, scale_, samples);
    output.put_samples(channel_, samples, 32);
    advance();
}

void run_transformed_pair(SynthesisFilter& left, const float* x_left, SynthesisFilter& right,
                          const float* x_right, PcmOutput& output, std::int16_t* right_samples) {
    std::int16_t own[32];
    std::int16_t* rs = right_samples ? right_samples : own;
    if (left.write_position_ != right.write_position_ || left.scale_ != right.scale_) {
        left.run_transformed(x_left, output);
        right.store_column(x_right);
        synthesis_window(right.bank_[right.current_], right.write_position_, right.scale_, rs);
        right.advance();
    } else {
        left.store_column(x_left);
        right.store_column(x_right);
        std::int16_t ls[32];
        synthesis_window_pair(left.bank_[left.current_], right.bank_[right.current_],
                              left.write_position_, left.scale_, ls, rs);
        output.put_samples(left.channel_, ls, 32);
        left.advance();
        right.advance();
    }
    if (!right_samples) output.put_samples(right.channel_, rs, 32);
}
