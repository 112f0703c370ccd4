// The synthesis filter: conversion to 16 bits, the fast transform, and the two-bank history
// against the standard's shifting 1024-value buffer.
#include "mpeg/synthesis_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "mpeg/synthesis_dct.h"
#include "mpeg_test_util.h"

using mpeg_test::RecordingOutput;

namespace {

const double kPi = 3.14159265358979323846;

// A bank whose only value, at row 1 of the column the window reads first, makes output 1 equal
// D[1] * value * scale = -value * scale / 65536 exactly.
int output_one(double value, double scale) {
    alignas(64) double bank[512] = {};
    const int p = 5;
    bank[32 * p + 1] = value;
    std::int16_t out[32];
    synthesis_window(bank, p, scale, out);
    return out[1];
}

// The standard's filter: V shifted by 64 every run, U gathered from it, windowed and summed.
class ReferenceFilter {
public:
    std::vector<int> run(const float* s) {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * kPi / 64) * s[k];
            v_[i] = sum;
        }
        const double* d = synthesis_window_coefficients();
        std::vector<int> out(32);
        for (int j = 0; j < 32; ++j) {
            double sum = 0;
            for (int i = 0; i < 8; ++i) {
                sum += v_[128 * i + j] * d[64 * i + j];
                sum += v_[128 * i + 96 + j] * d[64 * i + 32 + j];
            }
            double x = std::round(sum * 32768.0);
            out[j] = static_cast<int>(std::fmax(-32768.0, std::fmin(32767.0, x)));
        }
        return out;
    }

private:
    std::vector<double> v_ = std::vector<double>(1024, 0.0);
};

}  // namespace

TEST(SynthesisFilter, ConversionRoundsHalfAwayFromZeroAndClips) {
    auto scale_for = [](double x) { return -65536.0 * x; };
    EXPECT_EQ(output_one(1.0, scale_for(32767.4)), 32767);
    EXPECT_EQ(output_one(1.0, scale_for(-32767.5)), -32768);
    EXPECT_EQ(output_one(1.0, scale_for(2.5)), 3);
    EXPECT_EQ(output_one(1.0, scale_for(-2.5)), -3);
    EXPECT_EQ(output_one(1.0, scale_for(2.4999)), 2);
    EXPECT_EQ(output_one(1.0, scale_for(-0.5)), -1);
    EXPECT_EQ(output_one(1.0, scale_for(0.4)), 0);
    EXPECT_EQ(output_one(1.0, scale_for(40000.0)), 32767);
    EXPECT_EQ(output_one(1.0, scale_for(-40000.0)), -32768);
    EXPECT_EQ(output_one(1.0, scale_for(1e30)), 32767);  // clipped, never wrapped
    EXPECT_EQ(output_one(1.0, scale_for(-1e30)), -32768);
    EXPECT_EQ(output_one(1.0, std::nan("")), 0);
    // With the decoder's scale, a windowed sum of 1.0 clips and 0.5 gives 16384.
    EXPECT_EQ(output_one(-65536.0, 32768.0), 32767);
    EXPECT_EQ(output_one(-32768.0, 32768.0), 16384);
}

TEST(SynthesisFilter, ZeroInputGivesZeroSamplesOnItsChannel) {
    SynthesisFilter filter(1, 32768.0f);
    RecordingOutput out;
    for (int i = 0; i < 3; ++i) filter.run(out);
    ASSERT_EQ(out.samples[1].size(), 96u);
    EXPECT_TRUE(out.samples[0].empty());
    for (int v : out.samples[1]) EXPECT_EQ(v, 0);
    EXPECT_EQ(out.frames_done, 0);  // frames are ended by the frame decoders
}

TEST(SynthesisFilter, FastTransformEqualsTheCosineSum) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int trial = 0; trial < 20; ++trial) {
        float in[32], out[32];
        for (float& v : in) v = u(rng);
        synthesis_dct32(in, out);
        for (int m = 0; m < 32; ++m) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) sum += in[k] * std::cos((2 * k + 1) * m * kPi / 64);
            EXPECT_NEAR(out[m], sum, 2e-5) << "m " << m;
        }
    }
}

TEST(SynthesisFilter, SideBySideTransformsGiveTheSameBitsAsSingleOnes) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    for (int runs : {1, 3, 8, 12, 17, 18, 36}) {
        const int stride = 37;
        std::vector<float> in(32 * stride), out(32 * runs), out_major(32 * runs);
        for (float& v : in) v = u(rng);
        // Subband-major (runs side by side) and run-major (subbands side by side) inputs.
        synthesis_dct32_batch(in.data(), 1, stride, runs, out.data());
        synthesis_dct32_batch(in.data(), 32, 1, runs, out_major.data());
        for (int r = 0; r < runs; ++r) {
            float single_in[32], single_out[32];
            for (int sb = 0; sb < 32; ++sb) single_in[sb] = in[sb * stride + r];
            synthesis_dct32(single_in, single_out);
            for (int m = 0; m < 32; ++m) ASSERT_EQ(out[32 * r + m], single_out[m]);
            synthesis_dct32(in.data() + 32 * r, single_out);
            for (int m = 0; m < 32; ++m) ASSERT_EQ(out_major[32 * r + m], single_out[m]);
        }
    }
}

TEST(SynthesisFilter, TwoBankHistoryMatchesTheShiftingBuffer) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-0.3f, 0.3f);
    SynthesisFilter filter(0, 32768.0f);
    ReferenceFilter reference;
    RecordingOutput out;
    int differing = 0;
    for (int run = 0; run < 100; ++run) {
        float s[32];
        for (int k = 0; k < 32; ++k) s[k] = (k < 20 || run % 7 == 0) ? u(rng) : 0.0f;
        for (int k = 0; k < 32; ++k) filter.input[k] = s[k];
        filter.run(out);
        for (float v : filter.input) ASSERT_EQ(v, 0.0f);  // inputs are cleared after a run
        std::vector<int> expected = reference.run(s);
        for (int j = 0; j < 32; ++j) {
            int ours = out.samples[0][32 * run + j];
            ASSERT_LE(std::abs(ours - expected[j]), 1) << "run " << run << " sample " << j;
            differing += ours != expected[j];
        }
    }
    EXPECT_LT(differing, 3200 / 50);
}

TEST(SynthesisFilter, ResetClearsTheHistory) {
    SynthesisFilter a(0, 32768.0f);
    SynthesisFilter b(0, 32768.0f);
    RecordingOutput out_a, out_b;
    for (int run = 0; run < 5; ++run) {
        for (int k = 0; k < 32; ++k) a.input[k] = 0.1f * static_cast<float>(k % 3);
        a.run(out_a);
    }
    a.reset();
    for (int k = 0; k < 32; ++k) a.input[k] = b.input[k] = 0.05f * static_cast<float>(k);
    out_a.samples[0].clear();
    a.run(out_a);
    b.run(out_b);
    EXPECT_EQ(out_a.samples[0], out_b.samples[0]);
}
