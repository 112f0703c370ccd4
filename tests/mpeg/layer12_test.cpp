// Layer I and II frames: the CRC check, forbidden and out-of-range codes, intensity subbands,
// and the allocation table of the lower sampling frequencies.
#include <gtest/gtest.h>

#include <cmath>

#include "mpeg/frame_header.h"
#include "mpeg/layer12_decode.h"
#include "mpeg/subband.h"
#include "mpeg_test_util.h"

using namespace mpeg_test;

namespace {

struct Decoded {
    RecordingOutput out;
    bool decoded = false;
};

// Reads the first frame of bytes and decodes it with both filters (or the left one only).
Decoded decode_first(const Bytes& bytes, bool two_channels) {
    TempFile file(bytes);
    MpegStream stream;
    stream.open(file.path());
    FrameHeader header;
    Crc16* crc = nullptr;
    Decoded d;
    if (!header.read_frame(stream, crc)) return d;
    SynthesisFilter left(0, 32768.0f), right(1, 32768.0f);
    d.decoded =
        decode_layer12_frame(stream, header, crc, &left, two_channels ? &right : nullptr, d.out);
    return d;
}

bool all_zero(const std::vector<int>& v) {
    for (int x : v) {
        if (x != 0) return false;
    }
    return true;
}

// A protected MPEG-1 layer II stereo frame at 44.1 kHz and 192 kbit/s (30 subbands, widths 4,
// 3 and 2) with one coded subband: subband 0 of channel 0, 3 steps, all scale factors equal.
Bytes protected_layer2_frame(bool correct_checksum, int group_code) {
    HeaderFields h;
    h.protection_bit = 0;
    h.bitrate_index = 11;
    BitWriter side;  // the bits the checksum covers after the header
    for (int sb = 0; sb < 30; ++sb) {
        int width = sb <= 10 ? 4 : (sb <= 22 ? 3 : 2);
        side.put(sb == 0 ? 1 : 0, width);  // channel 0
        side.put(0, width);                // channel 1
    }
    side.put(2, 2);  // scfsi of subband 0, channel 0: one scale factor for all parts
    std::vector<int> bits;
    std::uint32_t word = header_word(h);
    for (int i = 15; i >= 0; --i) bits.push_back((word >> i) & 1);
    Bytes side_bytes = side.bytes();
    for (int i = 0; i < side.bit_count(); ++i)
        bits.push_back((side_bytes[i / 8] >> (7 - i % 8)) & 1);
    std::uint16_t crc = crc_of_bits(bits);
    if (!correct_checksum) crc ^= 0x0100;

    BitWriter body;
    body.put(crc, 16);
    for (int i = 0; i < side.bit_count(); ++i) body.put_bit((side_bytes[i / 8] >> (7 - i % 8)) & 1);
    body.put(3, 6);  // scale factor index 3: 1.0
    for (int g = 0; g < 12; ++g) body.put(static_cast<std::uint32_t>(group_code), 5);
    return frame(h, body.bytes());
}

}  // namespace

TEST(Layer12Decode, FrameFailingItsCrcGivesNoSamplesAndNoFrameDone) {
    Decoded good = decode_first(protected_layer2_frame(true, 0), true);
    EXPECT_TRUE(good.decoded);
    EXPECT_EQ(good.out.frames_done, 1);
    EXPECT_EQ(good.out.last_flag, 1);
    ASSERT_EQ(good.out.samples[0].size(), 1152u);
    ASSERT_EQ(good.out.samples[1].size(), 1152u);
    EXPECT_FALSE(all_zero(good.out.samples[0]));
    EXPECT_TRUE(all_zero(good.out.samples[1]));
    // The filters alternate run by run: 32 left samples, then 32 right.
    EXPECT_EQ(good.out.calls[31], 0);
    EXPECT_EQ(good.out.calls[32], 1);
    EXPECT_EQ(good.out.calls[64], 0);

    Decoded bad = decode_first(protected_layer2_frame(false, 0), true);
    EXPECT_FALSE(bad.decoded);
    EXPECT_EQ(bad.out.frames_done, 0);
    EXPECT_TRUE(bad.out.calls.empty());
}

TEST(Layer12Decode, GroupCodeBeyondTheTableIsSilence) {
    // 3 steps: codes 0..26 exist; 13 is the middle of every step (0, 0, 0), 31 is beyond.
    Decoded middle = decode_first(protected_layer2_frame(true, 13), true);
    Decoded beyond = decode_first(protected_layer2_frame(true, 31), true);
    EXPECT_EQ(middle.out.frames_done, 1);
    EXPECT_EQ(beyond.out.frames_done, 1);
    EXPECT_TRUE(all_zero(middle.out.samples[0]));
    EXPECT_TRUE(all_zero(beyond.out.samples[0]));
}

namespace {

struct L1Coded {
    int sb;
    int allocation[2];
    int scale[2];
};

// A layer I frame at 44.1 kHz, 192 kbit/s with the given coded subbands; every sample code is
// sample_code (cut to the sample length).
Bytes layer1_frame(int mode, int mode_extension, const std::vector<L1Coded>& coded,
                   unsigned sample_code) {
    HeaderFields h{1, 1, 1, 6, 0, 0, mode, mode_extension};
    bool single = mode == 3;
    int bound = single ? 0 : (mode == 1 ? mode_extension * 4 + 4 : 32);
    auto find = [&](int sb) -> const L1Coded* {
        for (const L1Coded& c : coded) {
            if (c.sb == sb) return &c;
        }
        return nullptr;
    };
    auto alloc = [&](int sb, int ch) {
        const L1Coded* c = find(sb);
        return c ? c->allocation[ch] : 0;
    };
    auto usable = [](int a) { return a != 0 && a != 15; };
    BitWriter body;
    for (int sb = 0; sb < 32; ++sb) {
        body.put(alloc(sb, 0), 4);
        if (!single && sb < bound) body.put(alloc(sb, 1), 4);
    }
    for (int sb = 0; sb < 32; ++sb) {
        const L1Coded* c = find(sb);
        if (single) {
            if (usable(alloc(sb, 0))) body.put(c->scale[0], 6);
        } else if (sb < bound) {
            if (usable(alloc(sb, 0))) body.put(c->scale[0], 6);
            if (usable(alloc(sb, 1))) body.put(c->scale[1], 6);
        } else if (usable(alloc(sb, 0))) {
            body.put(c->scale[0], 6);
            body.put(c->scale[1], 6);
        }
    }
    for (int s = 0; s < 12; ++s) {
        for (int sb = 0; sb < 32; ++sb) {
            int channels = (!single && sb < bound) ? 2 : 1;
            for (int ch = 0; ch < channels; ++ch) {
                int a = alloc(sb, ch);
                if (usable(a)) body.put(sample_code & ((1u << (a + 1)) - 1), a + 1);
            }
        }
    }
    return frame(h, body.bytes());
}

}  // namespace

TEST(Layer12Decode, ForbiddenLayer1AllocationIsSilentAndReadsNothing) {
    Decoded a =
        decode_first(layer1_frame(3, 0, {{0, {15, 0}, {0, 0}}, {1, {3, 0}, {5, 0}}}, 0x5), false);
    Decoded b = decode_first(layer1_frame(3, 0, {{1, {3, 0}, {5, 0}}}, 0x5), false);
    ASSERT_EQ(a.out.samples[0].size(), 384u);
    EXPECT_FALSE(all_zero(a.out.samples[0]));
    EXPECT_EQ(a.out.samples[0], b.out.samples[0]);
}

TEST(Layer12Decode, ScaleFactor63IsSilence) {
    Decoded d = decode_first(layer1_frame(3, 0, {{0, {4, 0}, {63, 0}}}, 0x3), false);
    ASSERT_EQ(d.out.samples[0].size(), 384u);
    EXPECT_TRUE(all_zero(d.out.samples[0]));
}

TEST(Layer12Decode, IntensitySubbandsShareSamplesWithTheirOwnScaleFactors) {
    // Joint stereo with mode extension 0: the bound is subband 4, so subband 6 is shared.
    // Channel 1 has half the scale factor of channel 0 (index 3 against 0: 1.0 against 2.0).
    Decoded d = decode_first(layer1_frame(1, 0, {{6, {4, 0}, {0, 3}}}, 0x11), true);
    ASSERT_EQ(d.out.samples[1].size(), 384u);
    EXPECT_FALSE(all_zero(d.out.samples[0]));
    for (std::size_t i = 0; i < 384; ++i) {
        EXPECT_NEAR(d.out.samples[1][i], d.out.samples[0][i] / 2.0, 1.0) << i;
    }
}

TEST(Layer12Decode, LowerSamplingFrequenciesUseTheirOwnAllocationTable) {
    FrameHeader h;
    h.version = 0;
    h.layer = 2;
    h.bitrate_index = 1;  // 8 kbit/s: MPEG-1 rules would pick the low-rate table
    h.sampling_frequency = 2;
    h.mode = 0;
    const Layer2AllocationTable& table = layer2_allocation_table(h);
    EXPECT_EQ(&table, &kLayer2AllocationTables[kTableLsfB1]);
    EXPECT_EQ(table.subband_limit, 30);
    EXPECT_EQ(table.rows[3].width, 4);
    EXPECT_EQ(table.rows[4].width, 3);
    EXPECT_EQ(table.rows[10].width, 3);
    EXPECT_EQ(table.rows[11].width, 2);
    EXPECT_EQ(table.rows[29].width, 2);
    // Its classes: subband 11 offers 3, 5 and 9 steps.
    EXPECT_EQ(kLayer2Classes[table.rows[11].cls[3]].steps, 9);

    h.version = 1;
    h.sampling_frequency = 0;
    h.bitrate_index = 4;  // 64 kbit/s stereo, 32 per channel, 44.1 kHz
    EXPECT_EQ(&layer2_allocation_table(h), &kLayer2AllocationTables[kTableB2c]);
    h.sampling_frequency = 1;
    h.bitrate_index = 12;
    EXPECT_EQ(&layer2_allocation_table(h), &kLayer2AllocationTables[kTableB2a]);
}
