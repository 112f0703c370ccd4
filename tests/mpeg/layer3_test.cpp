// Layer III steps on hand-made data: the reservoir, Huffman decoding at the end of a granule,
// linbits, scale factors of both forms, requantisation, stereo, and the inverse transforms.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"
#include "mpeg_test_util.h"

using namespace mpeg_test;

namespace {

const double kPi = 3.14159265358979323846;

struct Fixture {
    Fixture(int version, int mode, int mode_extension = 0, int sampling_frequency = 0) {
        header.layer = 3;
        header.version = version;
        header.mode = mode;
        header.mode_extension = mode_extension;
        header.sampling_frequency = sampling_frequency;
        decoder = std::make_unique<Layer3Decoder>(&stream, &header, &left,
                                                  mode == 3 ? nullptr : &right, &out);
    }
    void feed(const BitWriter& w) {
        Bytes b = w.bytes();
        decoder->reservoir().append_bytes(b.data(), static_cast<int>(b.size()));
    }
    GranuleInfo& granule(int ch, int gr = 0) { return decoder->side_info.channel[ch].granule[gr]; }

    MpegStream stream;
    FrameHeader header;
    SynthesisFilter left{0, 32768.0f};
    SynthesisFilter right{1, 32768.0f};
    RecordingOutput out;
    std::unique_ptr<Layer3Decoder> decoder;
};

}  // namespace

TEST(MainDataReservoir, ReadsRewindsAndWraps) {
    MainDataReservoir r;
    for (int i = 0; i < 4096; ++i) r.append_byte(i & 0xFF);
    for (int v : {0xA0, 0xA1, 0xA2, 0xA3}) r.append_byte(v);  // over bytes 0..3
    EXPECT_EQ(r.read_bits(0), 0u);
    EXPECT_EQ(r.read_bits(4), 0xAu);
    EXPECT_EQ(r.read_bits(12), 0x0A1u);
    r.rewind_bits(12);
    EXPECT_EQ(r.bits_read(), 4);
    EXPECT_EQ(r.read_bits(12), 0x0A1u);
    EXPECT_EQ(r.read_one_bit(), 1);
    r.set_bits_read(4094 * 8 + 4);
    // Across the end of the ring: bytes 4094, 4095, then 0 and 1 again.
    EXPECT_EQ(r.read_bits(28), 0xEFFA0A1u);
    r.rewind_bytes(4096);
    EXPECT_EQ(r.bits_read(), 4094 * 8 + 32 - 4096 * 8);
    r.set_bits_read(8 * 5);
    EXPECT_EQ(r.read_bits(32), 0x05060708u);
    EXPECT_EQ(r.read_bits(40), 0x0A0B0C0Du);  // wider reads keep the low 32 bits
}

TEST(Layer3Huffman, GranuleEndingInsideAQuadrupleDropsIt) {
    Fixture f(1, 3);
    BitWriter w;
    w.put_bits("1");  // quadruple 0, 0, 0, 0
    w.put_bits(
        "0111"
        "1");  // 1, 0, 0, 0 with v negative
    w.put_bits(
        "000001"
        "0000");  // 1, 1, 1, 1: runs past the granule's 12 bits
    f.feed(w);
    GranuleInfo& g = f.granule(0);
    g.part2_3_length = 12;
    f.decoder->part2_start = 0;
    f.decoder->quantised[8] = 77;
    f.decoder->huffman_decode(0, 0);
    EXPECT_EQ(f.decoder->nonzero[0], 8);
    EXPECT_EQ(f.decoder->quantised[4], -1);
    EXPECT_EQ(f.decoder->quantised[8], 0);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), 12);

    // The same data with room for the third quadruple keeps it.
    Fixture f2(1, 3);
    f2.feed(w);
    f2.granule(0).part2_3_length = 16;
    f2.decoder->huffman_decode(0, 0);
    EXPECT_EQ(f2.decoder->nonzero[0], 12);
    for (int i = 8; i < 12; ++i) EXPECT_EQ(f2.decoder->quantised[i], 1);
    EXPECT_EQ(f2.decoder->reservoir().bits_read(), 16);
}

TEST(Layer3Huffman, LinbitsReach8206AndRequantiseWithoutClipping) {
    Fixture f(1, 3);
    const HuffmanTable& table = kHuffmanTables[31];  // linbits 13
    ASSERT_EQ(table.linbits, 13);
    auto words = codewords_of(table);
    BitWriter w;
    w.put_bits(words.at(0xF0));  // x = 15, y = 0
    w.put(8191, 13);
    w.put_bit(true);             // x negative
    w.put_bits(words.at(0xFF));  // x = 15, y = 15
    w.put(1, 13);
    w.put_bit(false);
    w.put(0, 13);
    w.put_bit(true);
    f.feed(w);
    GranuleInfo& g = f.granule(0);
    g.big_values = 2;
    g.table_select[0] = 31;
    g.region0_count = 15;
    g.region1_count = 7;
    g.part2_3_length = w.bit_count();
    g.global_gain = 210;  // A = 1
    f.decoder->huffman_decode(0, 0);
    EXPECT_EQ(f.decoder->quantised[0], -8206);
    EXPECT_EQ(f.decoder->quantised[1], 0);
    EXPECT_EQ(f.decoder->quantised[2], 16);
    EXPECT_EQ(f.decoder->quantised[3], -15);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), w.bit_count());
    f.decoder->requantise(0, 0);
    EXPECT_FLOAT_EQ(f.decoder->spectrum[0][0], -static_cast<float>(std::pow(8206.0, 4.0 / 3.0)));
    EXPECT_FLOAT_EQ(f.decoder->spectrum[0][2], static_cast<float>(std::pow(16.0, 4.0 / 3.0)));
}

TEST(Layer3Huffman, CorruptCountsStayInsideTheArrays) {
    Fixture f(1, 0);
    BitWriter w;
    std::mt19937 rng(5);
    for (int i = 0; i < 4000; ++i) w.put(rng() & 0xFF, 8);
    f.feed(w);
    for (int ch = 0; ch < 2; ++ch) {
        GranuleInfo& g = f.granule(ch);
        g.big_values = 511;
        g.region0_count = 15;
        g.region1_count = 7;
        g.table_select[0] = 24;
        g.table_select[1] = 4;  // a table without codes
        g.table_select[2] = 31;
        g.part2_3_length = 4095;
        f.decoder->part2_start = f.decoder->reservoir().bits_read();
        f.decoder->huffman_decode(ch, 0);
        EXPECT_LE(f.decoder->nonzero[ch], 576);
        f.decoder->requantise(ch, 0);
    }
}

TEST(Layer3ScaleFactors, Mpeg1GranuleOneReusesGroupsMarkedByScfsi) {
    Fixture f(1, 3);
    GranuleInfo& g0 = f.granule(0, 0);
    GranuleInfo& g1 = f.granule(0, 1);
    g0.scale_factor_compress = g1.scale_factor_compress = 15;  // slen 4 and 3
    BitWriter w;
    for (int k = 0; k < 21; ++k) w.put(static_cast<std::uint32_t>(k % 8), k < 11 ? 4 : 3);
    // Granule 1: groups 1 (bands 6..10) and 3 (bands 16..20) are sent again.
    for (int k = 6; k < 11; ++k) w.put(15, 4);
    for (int k = 16; k < 21; ++k) w.put(7, 3);
    f.feed(w);
    int* scfsi = f.decoder->side_info.channel[0].scfsi;
    scfsi[0] = 1;
    scfsi[1] = 0;
    scfsi[2] = 1;
    scfsi[3] = 0;
    f.decoder->read_scale_factors(0, 0);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), 11 * 4 + 10 * 3);
    f.decoder->read_scale_factors(0, 1);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), 11 * 4 + 10 * 3 + 5 * 4 + 5 * 3);
    const ScaleFactors& sf = f.decoder->scale_factors[0];
    for (int k = 0; k < 21; ++k) {
        int expected = (k >= 6 && k < 11) ? 15 : (k >= 16 ? 7 : k % 8);
        EXPECT_EQ(sf.long_band[k], expected) << k;
    }
    // All four bits set: granule 1 reads nothing.
    for (int i = 0; i < 4; ++i) scfsi[i] = 1;
    int before = f.decoder->reservoir().bits_read();
    f.decoder->read_scale_factors(0, 1);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), before);
    EXPECT_EQ(f.decoder->scale_factors[0].long_band[7], 15);
}

TEST(Layer3ScaleFactors, LowerSamplingFrequencyIntensityCompress510And511) {
    for (int sc : {508, 510, 511}) {
        Fixture f(0, 1, 1);  // joint stereo with intensity
        BitWriter w;
        for (int i = 0; i < 60; ++i) w.put_bit(true);
        f.feed(w);
        f.granule(1).scale_factor_compress = sc;
        f.decoder->read_scale_factors_lsf(1);
        // The last range: slen ((h - 244) / 3, (h - 244) % 3), counts 8 and 8 for long blocks.
        int h = sc >> 1;
        int slen0 = (h - 244) / 3, slen1 = (h - 244) % 3;
        EXPECT_EQ(f.decoder->reservoir().bits_read(), 8 * slen0 + 8 * slen1) << sc;
        EXPECT_EQ(f.decoder->scale_factors[1].long_band[0], (1 << slen0) - 1);
        EXPECT_EQ(f.granule(1).preflag, 0);
    }
}

TEST(Layer3ScaleFactors, LowerSamplingFrequencyMixedBlockIsSixLongThenShortBands3To11) {
    Fixture f(0, 3);
    GranuleInfo& g = f.granule(0);
    g.window_switching = 1;
    g.block_type = 2;
    g.mixed_block = 1;
    g.scale_factor_compress = 101;  // slen 1, 1, 1, 1, row 0: 6 + 9 + 9 + 9 values
    BitWriter w;
    for (int i = 0; i < 33; ++i) w.put_bit(i % 3 != 0);
    w.put(0, 8);
    f.feed(w);
    f.decoder->read_scale_factors_lsf(0);
    EXPECT_EQ(f.decoder->reservoir().bits_read(), 33);
    const ScaleFactors& sf = f.decoder->scale_factors[0];
    for (int k = 0; k < 6; ++k) EXPECT_EQ(sf.long_band[k], k % 3 != 0 ? 1 : 0) << k;
    EXPECT_EQ(sf.long_band[6], 0);
    EXPECT_EQ(sf.long_band[7], 0);
    int i = 6;
    for (int k = 3; k < 12; ++k) {
        for (int win = 0; win < 3; ++win, ++i) EXPECT_EQ(sf.short_band[win][k], i % 3 != 0 ? 1 : 0);
    }
    for (int win = 0; win < 3; ++win) EXPECT_EQ(sf.short_band[win][12], 0);

    // Compress 500 and up sets the pre-emphasis.
    Fixture p(0, 3);
    p.feed(w);
    p.granule(0).scale_factor_compress = 505;
    p.decoder->read_scale_factors_lsf(0);
    EXPECT_EQ(p.granule(0).preflag, 1);
}

TEST(Layer3Requantise, ZeroStaysZeroAndTheLongShortBoundaryIsLine36) {
    // 22.05 kHz: line 36 is long band 6. A mixed block takes short bands from line 36 on,
    // so long bands 6 and 7 (lines 36..53) must not be scaled by long factors.
    Fixture f(0, 3);
    GranuleInfo& g = f.granule(0);
    g.window_switching = 1;
    g.block_type = 2;
    g.mixed_block = 1;
    g.global_gain = 210;
    ScaleFactors& sf = f.decoder->scale_factors[0];
    for (int k = 0; k < 23; ++k) sf.long_band[k] = 12;
    for (int win = 0; win < 3; ++win) {
        for (int k = 0; k < 13; ++k) sf.short_band[win][k] = 0;
    }
    sf.short_band[2][12] = 31;  // with the largest subblock gain: past the gain table
    g.subblock_gain[2] = 7;
    g.scale_factor_scale = 1;
    for (int j = 0; j < 576; ++j) f.decoder->quantised[j] = (j % 5 == 0) ? 0 : 2;
    f.decoder->nonzero[0] = 576;
    f.decoder->requantise(0, 0);
    const float* s = f.decoder->spectrum[0];
    const float two = static_cast<float>(std::pow(2.0, 4.0 / 3.0));
    for (int j = 0; j < 576; j += 5) EXPECT_EQ(s[j], 0.0f);
    EXPECT_FLOAT_EQ(s[1], two * static_cast<float>(std::pow(2.0, -12.0)));  // long band 0
    for (int j = 36; j < 48; ++j) {
        if (j % 5 != 0) {
            EXPECT_FLOAT_EQ(s[j], two) << j;
        }
    }
    // Short band 12, window 2: index 4 * 7 + (31 << 1) = 90, taken as the table's last entry.
    int start = 3 * 174 + 2 * (192 - 174);
    EXPECT_FLOAT_EQ(s[start + 1], two * layer3_tables().gain[63]);
}

TEST(Layer3Stereo, IntensityAboveAnAllZeroRightChannelStartsAtBand1) {
    Fixture f(1, 1, 1);  // MPEG-1 joint stereo, intensity only
    for (int i = 0; i < 576; ++i) {
        f.decoder->spectrum[0][i] = 1.0f;
        f.decoder->spectrum[1][i] = 0.0f;
    }
    for (int k = 0; k < 23; ++k) f.decoder->scale_factors[1].long_band[k] = 6;
    f.decoder->stereo(0);
    for (int i = 0; i < 4; ++i) {  // band 0 at 44.1 kHz: ordinary stereo
        EXPECT_EQ(f.decoder->stereo_out[0][i], 1.0f);
        EXPECT_EQ(f.decoder->stereo_out[1][i], 0.0f);
    }
    for (int i = 4; i < 576; ++i) {  // position 6: nearly all left
        EXPECT_NEAR(f.decoder->stereo_out[0][i], 1.0f, 1e-6f) << i;
        EXPECT_LT(std::fabs(f.decoder->stereo_out[1][i]), 1e-9f) << i;
    }
}

TEST(Layer3Stereo, MidSideAndLowerSamplingFrequencyPositionZero) {
    Fixture ms(1, 1, 2);
    ms.decoder->spectrum[0][10] = 3.0f;
    ms.decoder->spectrum[1][10] = 1.0f;
    ms.decoder->stereo(0);
    EXPECT_FLOAT_EQ(ms.decoder->stereo_out[0][10], 4.0f * 0.70710677f);
    EXPECT_FLOAT_EQ(ms.decoder->stereo_out[1][10], 2.0f * 0.70710677f);

    Fixture lsf(0, 1, 1);  // 22.05 kHz, intensity: position 0 copies the left value to both
    for (int i = 0; i < 576; ++i) lsf.decoder->spectrum[0][i] = 0.5f;
    lsf.decoder->stereo(0);
    for (int i = 6; i < 576; ++i) {
        EXPECT_EQ(lsf.decoder->stereo_out[0][i], 0.5f) << i;
        EXPECT_EQ(lsf.decoder->stereo_out[1][i], 0.5f) << i;
    }
}

TEST(Layer3Stereo, LowerSamplingFrequencyMixedBlockKeepsItsLongPartBelowLine36) {
    // 22.05 kHz, intensity, a mixed block with an all-zero right channel: the long part is long
    // bands 0..5 (lines 0..35); lines 36..53 belong to short band 3 and take its positions, not
    // those of long bands 6 and 7.
    Fixture f(0, 1, 1);
    GranuleInfo& g = f.granule(0);
    g.window_switching = 1;
    g.block_type = 2;
    g.mixed_block = 1;
    ScaleFactors& sf = f.decoder->scale_factors[1];
    for (int k = 0; k < 23; ++k) sf.long_band[k] = 3;  // odd position: left scaled down
    for (int w = 0; w < 3; ++w) {
        for (int k = 0; k < 13; ++k) sf.short_band[w][k] = 0;  // position 0: copied to both
    }
    for (int i = 0; i < 576; ++i) f.decoder->spectrum[0][i] = 1.0f;
    f.decoder->stereo(0);
    const float scaled = layer3_tables().intensity_factor[0][2];  // 2^(-2/4)
    for (int i = 0; i < 36; ++i) {
        EXPECT_FLOAT_EQ(f.decoder->stereo_out[0][i], scaled) << i;
        EXPECT_EQ(f.decoder->stereo_out[1][i], 1.0f) << i;
    }
    for (int i = 36; i < 576; ++i) {
        EXPECT_EQ(f.decoder->stereo_out[0][i], 1.0f) << i;
        EXPECT_EQ(f.decoder->stereo_out[1][i], 1.0f) << i;
    }
}

namespace {

// The standard's inverse transform of 18 lines with the window of block type bt (0, 1, 3).
std::vector<double> direct_long(const float* x, int bt) {
    std::vector<double> out(36);
    for (int i = 0; i < 36; ++i) {
        double sum = 0;
        for (int k = 0; k < 18; ++k)
            sum += x[k] * std::cos(kPi / 72 * (2 * i + 1 + 18) * (2 * k + 1));
        double w = std::sin(kPi / 36 * (i + 0.5));
        if (bt == 1)
            w = i < 18 ? w : i < 24 ? 1.0 : i < 30 ? std::sin(kPi / 12 * (i - 18 + 0.5)) : 0.0;
        if (bt == 3)
            w = i < 6 ? 0.0 : i < 12 ? std::sin(kPi / 12 * (i - 6 + 0.5)) : i < 18 ? 1.0 : w;
        out[i] = sum * w;
    }
    return out;
}

std::vector<double> direct_short(const float* x) {
    std::vector<double> out(36, 0.0);
    for (int w = 0; w < 3; ++w) {
        for (int i = 0; i < 12; ++i) {
            double sum = 0;
            for (int k = 0; k < 6; ++k) {
                sum += x[3 * k + w] * std::cos(kPi / 24 * (2 * i + 1 + 6) * (2 * k + 1));
            }
            out[6 + 6 * w + i] += sum * std::sin(kPi / 12 * (i + 0.5));
        }
    }
    return out;
}

}  // namespace

TEST(Layer3Transform, FastTransformsMatchTheStandardsFormula) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> u(-1.0f, 1.0f);
    struct Case {
        int window_switching, block_type, mixed;
    };
    for (Case c : {Case{0, 0, 0}, Case{1, 1, 0}, Case{1, 3, 0}, Case{1, 2, 0}, Case{1, 2, 1},
                   Case{1, 3, 1}}) {
        Fixture f(1, 3);
        GranuleInfo& g = f.granule(0);
        g.window_switching = c.window_switching;
        g.block_type = c.block_type;
        g.mixed_block = c.mixed;
        std::vector<double> previous(576, 0.0);
        for (int round = 0; round < 2; ++round) {
            float input[576];
            for (int i = 0; i < 576; ++i) input[i] = f.decoder->work[i] = u(rng);
            f.decoder->inverse_transform(0, 0);
            for (int sb = 0; sb < 32; ++sb) {
                int bt = (c.window_switching && c.mixed && sb < 2) ? 0 : c.block_type;
                std::vector<double> x =
                    bt == 2 ? direct_short(input + 18 * sb) : direct_long(input + 18 * sb, bt);
                for (int i = 0; i < 18; ++i) {
                    ASSERT_NEAR(f.decoder->work[18 * sb + i], x[i] + previous[18 * sb + i], 1e-4)
                        << "block type " << bt << " subband " << sb << " line " << i;
                    previous[18 * sb + i] = x[18 + i];
                }
            }
        }
    }
}

TEST(Layer3Transform, AliasReductionSkipsShortBlocksAndMixedBlocksAboveTheFirstBoundary) {
    struct Case {
        int block_type, mixed;
        int boundaries;
    };
    for (Case c : {Case{0, 0, 31}, Case{2, 0, 0}, Case{2, 1, 1}}) {
        Fixture f(1, 3);
        GranuleInfo& g = f.granule(0);
        g.window_switching = c.block_type != 0;
        g.block_type = c.block_type;
        g.mixed_block = c.mixed;
        for (float& v : f.decoder->work) v = 1.0f;
        f.decoder->alias_reduction(0, 0);
        int changed = 0;
        for (int sb = 0; sb < 31; ++sb) changed += f.decoder->work[18 * sb + 17] != 1.0f;
        EXPECT_EQ(changed, c.boundaries);
    }
}

TEST(Layer3Reorder, ShortBlocksInterleaveTheWindowsOfEachBand) {
    const Layer3Tables& t = layer3_tables();
    for (int table = 0; table < 6; ++table) {
        const int* s = kShortBandBoundaries[table];
        std::vector<int> used(576, 0);
        for (int k = 0; k < 13; ++k) {
            int width = s[k + 1] - s[k];
            for (int j = 0; j < width; ++j) {
                for (int w = 0; w < 3; ++w) {
                    int out = 3 * s[k] + 3 * j + w;
                    EXPECT_EQ(t.reorder[table][out], 3 * s[k] + w * width + j);
                    ++used[t.reorder[table][out]];
                }
            }
        }
        for (int n : used) EXPECT_EQ(n, 1);
    }
}
