// The layer III frame: side information, appending main data to the reservoir, granule loop.
#include "mpeg/layer3_decoder.h"

#include <cstring>

#include "mpeg/layer3_tables.h"

Layer3Decoder::Layer3Decoder(MpegStream* stream, FrameHeader* header, SynthesisFilter* left,
                             SynthesisFilter* right, PcmOutput* output)
    : stream_(stream),
      header_(header),
      left_(left),
      right_(right),
      output_(output),
      reservoir_(std::make_unique<MainDataReservoir>()) {
    channels_ = header->mode == kSingleChannel ? 1 : 2;
    granules_ = header->version == 1 ? 2 : 1;
    band_table_index_ = header->sampling_frequency + (header->version == 1 ? 3 : 0);
    mixed_long_bands_ = 8;
    for (int k = 0; k < 23; ++k) {
        if (kLongBandBoundaries[band_table_index_][k] == 36) mixed_long_bands_ = k;
    }
    std::memset(quantised, 0, sizeof quantised);
    std::memset(spectrum, 0, sizeof spectrum);
    std::memset(stereo_out, 0, sizeof stereo_out);
    std::memset(work, 0, sizeof work);
    std::memset(overlap, 0, sizeof overlap);
    std::memset(intensity_factors, 0, sizeof intensity_factors);
    (void)layer3_tables();  // computes the tables before the first frame
}

void Layer3Decoder::read_side_info() {
    MpegStream& s = *stream_;
    SideInfo& si = side_info;
    bool single = channels_ == 1;
    if (header_->version == 1) {
        si.main_data_begin = static_cast<int>(s.get_bits(9));
        si.private_bits = static_cast<int>(s.get_bits(single ? 5 : 3));
        for (int ch = 0; ch < channels_; ++ch) {
            for (int& bit : si.channel[ch].scfsi) bit = static_cast<int>(s.get_bits(1));
        }
    } else {
        si.main_data_begin = static_cast<int>(s.get_bits(8));
        si.private_bits = static_cast<int>(s.get_bits(single ? 1 : 2));
    }
    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            GranuleInfo& g = si.channel[ch].granule[gr];
            g.part2_3_length = static_cast<int>(s.get_bits(12));
            g.big_values = static_cast<int>(s.get_bits(9));
            g.global_gain = static_cast<int>(s.get_bits(8));
            g.scale_factor_compress = static_cast<int>(s.get_bits(header_->version == 1 ? 4 : 9));
            g.window_switching = static_cast<int>(s.get_bits(1));
            if (g.window_switching) {
                g.block_type = static_cast<int>(s.get_bits(2));
                g.mixed_block = static_cast<int>(s.get_bits(1));
                for (int i = 0; i < 2; ++i) g.table_select[i] = static_cast<int>(s.get_bits(5));
                g.table_select[2] = 0;
                for (int& gain : g.subblock_gain) gain = static_cast<int>(s.get_bits(3));
                g.region0_count = (g.block_type == 2 && !g.mixed_block) ? 8 : 7;
                g.region1_count = 20 - g.region0_count;
            } else {
                for (int& t : g.table_select) t = static_cast<int>(s.get_bits(5));
                g.region0_count = static_cast<int>(s.get_bits(4));
                g.region1_count = static_cast<int>(s.get_bits(3));
                g.block_type = 0;
                g.mixed_block = 0;
                for (int& gain : g.subblock_gain) gain = 0;
            }
            g.preflag = header_->version == 1 ? static_cast<int>(s.get_bits(1)) : 0;
            g.scale_factor_scale = static_cast<int>(s.get_bits(1));
            g.count1_table_select = static_cast<int>(s.get_bits(1));
        }
    }
}

void Layer3Decoder::decode_frame() {
    read_side_info();

    int slots = header_->main_data_slots;
    std::uint8_t main_data[MpegStream::kBodyWords * 4];
    if (slots > static_cast<int>(sizeof main_data)) slots = static_cast<int>(sizeof main_data);
    stream_->get_bytes(main_data, slots);
    reservoir_->append_bytes(main_data, slots);

    MainDataReservoir& r = *reservoir_;
    int b = r.bits_read() / 8;
    if (int rest = r.bits_read() % 8) {
        r.skip_bits(8 - rest);
        ++b;
    }
    int s = bytes_stored_;
    bytes_stored_ += slots;
    int n = s - side_info.main_data_begin - b;
    if (n < 0) return;  // the data this frame refers to has not been seen
    if (b > MainDataReservoir::kSize) {
        bytes_stored_ -= MainDataReservoir::kSize;
        r.rewind_bytes(MainDataReservoir::kSize);
    }
    r.skip_bits(8 * n);

    for (int gr = 0; gr < granules_; ++gr) {
        for (int ch = 0; ch < channels_; ++ch) {
            part2_start = r.bits_read();
            if (header_->version == 1) {
                read_scale_factors(ch, gr);
            } else {
                read_scale_factors_lsf(ch);
            }
            huffman_decode(ch, gr);
            requantise(ch, gr);
        }
        stereo(gr);
        for (int ch = 0; ch < channels_; ++ch) {
            reorder(ch, gr);
            alias_reduction(ch, gr);
            inverse_transform(ch, gr);
            frequency_inversion();
            synthesise(ch);
        }
    }
    output_->frame_done(1);
}
