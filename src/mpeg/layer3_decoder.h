// The layer III decoder: side information, main-data reservoir, scale factors, Huffman decoding
// and the reconstruction of each granule down to the synthesis filters.
#pragma once

#include <memory>

#include "mpeg/frame_header.h"
#include "mpeg/main_data_reservoir.h"
#include "mpeg/mpeg_stream.h"
#include "mpeg/pcm_output.h"
#include "mpeg/synthesis_filter.h"

struct GranuleInfo {
    int part2_3_length = 0;
    int big_values = 0;
    int global_gain = 0;
    int scale_factor_compress = 0;
    int window_switching = 0;
    int block_type = 0;
    int mixed_block = 0;
    int table_select[3] = {0, 0, 0};
    int subblock_gain[3] = {0, 0, 0};
    int region0_count = 0;
    int region1_count = 0;
    int preflag = 0;
    int scale_factor_scale = 0;
    int count1_table_select = 0;

    bool short_blocks() const { return window_switching && block_type == 2 && !mixed_block; }
    bool mixed_blocks() const { return window_switching && block_type == 2 && mixed_block; }
    bool any_short() const { return window_switching && block_type == 2; }
};

struct SideInfo {
    int main_data_begin = 0;
    int private_bits = 0;
    struct Channel {
        int scfsi[4] = {0, 0, 0, 0};
        GranuleInfo granule[2];
    } channel[2];
};

struct ScaleFactors {
    int long_band[23] = {};
    int short_band[3][13] = {};  // [window][band]
};

class Layer3Decoder {
public:
    Layer3Decoder(MpegStream* stream, FrameHeader* header, SynthesisFilter* left,
                  SynthesisFilter* right, PcmOutput* output);

    // Decodes the frame in the stream's buffer: 1152 (MPEG-1) or 576 samples per channel and a
    // frame-done call, or nothing while the reservoir lacks the data the frame refers to.
    void decode_frame();

    // The steps of one granule, in the order the frame procedure runs them.
    void read_side_info();
    void read_scale_factors(int ch, int gr);
    void read_scale_factors_lsf(int ch);
    void huffman_decode(int ch, int gr);
    void requantise(int ch, int gr);
    void stereo(int gr);
    void reorder(int ch, int gr);
    void alias_reduction(int ch, int gr);
    void inverse_transform(int ch, int gr);
    void frequency_inversion();
    void synthesise(int ch);

    // The state the steps share, open for tests.
    int quantised[576 + 4];  // four spare entries take a count-1 quadruple that starts at 574
    float spectrum[2][576];
    float stereo_out[2][576];
    float work[576 + 8];  // the spare floats let the inverse transform read in blocks of eight
    float overlap[2][576];
    float intensity_factors[2][576];
    int nonzero[2] = {576, 576};
    ScaleFactors scale_factors[2];
    SideInfo side_info;
    int part2_start = 0;  // reservoir bit count where the current channel's main data starts
    MainDataReservoir& reservoir() { return *reservoir_; }
    int channels() const { return channels_; }

private:
    // Long bands below line 36, the long/short boundary of mixed blocks: 8 at 32, 44.1 and
    // 48 kHz, 6 at the lower sampling frequencies.
    int mixed_long_bands() const { return mixed_long_bands_; }

    float transformed_[2][18 * 32];  // the matrixing transforms of a granule's filter runs
    MpegStream* stream_;
    FrameHeader* header_;
    SynthesisFilter* left_;
    SynthesisFilter* right_;
    PcmOutput* output_;
    std::unique_ptr<MainDataReservoir> reservoir_;
    int granules_;
    int bytes_stored_ = 0;
    int channels_;
    int band_table_index_;
    int mixed_long_bands_;
};
