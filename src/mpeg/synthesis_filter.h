// The polyphase synthesis filter bank of one output channel: 32 subband samples in, 32 PCM out.
#pragma once

#include <cstdint>

#include "mpeg/pcm_output.h"

class SynthesisFilter {
public:
    SynthesisFilter(int channel, float scale);

    // Clears the history and the inputs; bank A becomes current, the write position 15.
    void reset();
    // Turns the 32 inputs into 32 samples for the output, then clears the inputs.
    void run(PcmOutput& output);
    // A run whose matrixing transform was already done (synthesis_dct32_batch): x[0..31] is
    // the transform of this run's subband samples. The input slots are not used.
    void run_transformed(const float* x, PcmOutput& output);

    // Subband samples for the next run, written directly by the layer decoders.
    float input[32];

    int channel() const { return channel_; }
    float scale() const { return scale_; }

    // Runs left and right, each with its transform done, as run_transformed would one after
    // the other. When both stand at the same write position the two window steps are done
    // side by side. The right filter's samples follow the left's to the output, or, when
    // right_samples is given, are stored there (32) for the caller to deliver later.
    friend void run_transformed_pair(SynthesisFilter& left, const float* x_left,
                                     SynthesisFilter& right, const float* x_right,
                                     PcmOutput& output, std::int16_t* right_samples);

private:
    void store_column(const float* x);
    void advance() {
        write_position_ = (write_position_ + 1) & 15;
        current_ ^= 1;
    }

    // The matrixing history in two alternating banks, each 16 columns of 32 rows. A column is
    // kept as 32 consecutive values (row r of column n at index 32n + r) so that the window
    // step reads it as whole vectors; the values are single-precision results stored as double,
    // which is exact and saves the conversion in the double-precision window sums.
    alignas(64) double bank_[2][512];
    int current_ = 0;  // the bank read by the window step of the next run
    int write_position_ = 15;
    int channel_;
    float scale_;
};

// The window step and the conversion to 16 bits: for each j, the double-precision sum over
// t = 0..15 of D[j + 32t] * column (p - t) mod 16 of the bank at row j, times scale, rounded
// half away from zero and clipped. Picks the widest vector unit of the processor.
void synthesis_window(const double* bank, int write_position, double scale, std::int16_t* out);

void run_transformed_pair(SynthesisFilter& left, const float* x_left, SynthesisFilter& right,
                          const float* x_right, PcmOutput& output,
                          std::int16_t* right_samples = nullptr);

// synthesis_window for two banks at the same write position, sharing the loads of the window.
void synthesis_window_pair(const double* bank_a, const double* bank_b, int write_position,
                           double scale, std::int16_t* out_a, std::int16_t* out_b);

// The window D[0..511] as doubles in its natural order.
const double* synthesis_window_coefficients();
