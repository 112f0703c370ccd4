// The three layer II subband classes: single channel, intensity-coded and stereo.
#include "mpeg/subband.h"
#include "mpeg/subband_tables.h"

const Layer2AllocationTable& layer2_allocation_table(const FrameHeader& header) {
    if (header.version == 0) return kLayer2AllocationTables[kTableLsfB1];
    int b = layer2_channel_bitrate_index(header);
    if (b == 1 || b == 2) {
        return kLayer2AllocationTables[header.sampling_frequency == 2 ? kTableB2d : kTableB2c];
    }
    if (header.sampling_frequency == 1 || (b >= 3 && b <= 5)) {
        return kLayer2AllocationTables[kTableB2a];
    }
    return kLayer2AllocationTables[kTableB2b];
}

void read_layer2_scale_factors(MpegStream& stream, int scfsi, float (&scale_factor)[3]) {
    const float* table = subband_tables().scale_factor;
    switch (scfsi) {
        case 0:
            scale_factor[0] = table[stream.get_bits(6)];
            scale_factor[1] = table[stream.get_bits(6)];
            scale_factor[2] = table[stream.get_bits(6)];
            break;
        case 1:
            scale_factor[0] = scale_factor[1] = table[stream.get_bits(6)];
            scale_factor[2] = table[stream.get_bits(6)];
            break;
        case 2:
            scale_factor[0] = scale_factor[1] = scale_factor[2] = table[stream.get_bits(6)];
            break;
        default:
            scale_factor[0] = table[stream.get_bits(6)];
            scale_factor[1] = scale_factor[2] = table[stream.get_bits(6)];
            break;
    }
}

void L2Channel::read_scfsi(MpegStream& stream, Crc16* crc) {
    if (allocation == 0) return;
    scfsi = static_cast<int>(stream.get_bits(2));
    if (crc) crc->add_bits(static_cast<unsigned>(scfsi), 2);
}

void L2Channel::read_scale_factors(MpegStream& stream, const Layer2AllocationRow& row) {
    if (allocation == 0) return;
    read_layer2_scale_factors(stream, scfsi, scale_factor);
    int cls = row.cls[allocation];
    if (cls < 0) {
        allocation = 0;
        return;
    }
    const Layer2Class& k = kLayer2Classes[cls];
    const SubbandTables& t = subband_tables();
    code_length = k.bits;
    c = k.c;
    d = k.d;
    factor = 1.0f / static_cast<float>(1 << (k.bits - 1));
    group = nullptr;
    group_size = 0;
    if (k.grouped) {
        if (k.steps == 3) {
            group = t.group3;
            group_size = 27;
        } else if (k.steps == 5) {
            group = t.group5;
            group_size = 125;
        } else {
            group = t.group9;
            group_size = 729;
        }
    }
}

[[gnu::always_inline]] inline void L2Channel::read_triple(MpegStream& stream, int triple_counter) {
    if (allocation == 0) return;
    float v[3];
    if (group != nullptr) {
        int code = static_cast<int>(stream.get_bits(code_length));
        if (code < group_size) {
            v[0] = group[code][0];
            v[1] = group[code][1];
            v[2] = group[code][2];
        } else {
            // A code beyond the last group of three has no samples; it is taken as silence.
            v[0] = v[1] = v[2] = 0.0f;
        }
    } else {
        for (float& s : v) s = static_cast<float>(stream.get_bits(code_length)) * factor - 1.0f;
    }
    // Kept in locals on the way: reading back what was just stored would only stall.
    float f = scale_factor_part(scale_factor, triple_counter);
    for (int i = 0; i < 3; ++i) {
        sample[i] = v[i];
        float r = group != nullptr ? v[i] : (v[i] + d) * c;
        requantised[i] = r;
        scaled[i] = r * f;
    }
}

void L2MonoSubband::read_allocation(MpegStream& stream, const FrameHeader&, Crc16* crc) {
    unsigned a = stream.get_bits(row_->width);
    if (crc) crc->add_bits(a, row_->width);
    ch0_.allocation = static_cast<int>(a);
    coded_ = a != 0;
}

void L2MonoSubband::read_scale_factor_selection(MpegStream& stream, Crc16* crc) {
    ch0_.read_scfsi(stream, crc);
}

void L2MonoSubband::read_scale_factors(MpegStream& stream, const FrameHeader&) {
    ch0_.read_scale_factors(stream, *row_);
    coded_ = ch0_.allocation != 0;
}

bool L2MonoSubband::read_samples(MpegStream& stream) {
    ++triple_counter_;
    ch0_.read_triple(stream, triple_counter_);
    sample_index_ = 0;
    return triple_counter_ == 12;
}

bool L2MonoSubband::put_next_sample(SynthesisFilter* left, SynthesisFilter*) {
    if (ch0_.allocation != 0) left->input[number_] = ch0_.scaled[sample_index_];
    return next_index();
}

void L2IntensitySubband::read_scale_factor_selection(MpegStream& stream, Crc16* crc) {
    L2MonoSubband::read_scale_factor_selection(stream, crc);
    if (ch0_.allocation == 0) return;
    scfsi1_ = static_cast<int>(stream.get_bits(2));
    if (crc) crc->add_bits(static_cast<unsigned>(scfsi1_), 2);
}

void L2IntensitySubband::read_scale_factors(MpegStream& stream, const FrameHeader& header) {
    L2MonoSubband::read_scale_factors(stream, header);
    if (ch0_.allocation != 0) read_layer2_scale_factors(stream, scfsi1_, scale_factor1_);
}

bool L2IntensitySubband::read_samples(MpegStream& stream) {
    bool done = L2MonoSubband::read_samples(stream);
    // Channel 1 takes channel 0's samples with its own scale factors.
    if (ch0_.allocation != 0) {
        float f = scale_factor_part(scale_factor1_, triple_counter_);
        for (int i = 0; i < 3; ++i) scaled1_[i] = ch0_.requantised[i] * f;
    }
    return done;
}

bool L2IntensitySubband::put_next_sample(SynthesisFilter* left, SynthesisFilter* right) {
    if (ch0_.allocation != 0) {
        left->input[number_] = ch0_.scaled[sample_index_];
        if (right) right->input[number_] = scaled1_[sample_index_];
    }
    return next_index();
}

void L2StereoSubband::read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) {
    L2MonoSubband::read_allocation(stream, header, crc);
    unsigned a = stream.get_bits(row_->width);
    if (crc) crc->add_bits(a, row_->width);
    ch1_.allocation = static_cast<int>(a);
    coded_ = coded_ || a != 0;
}

void L2StereoSubband::read_scale_factor_selection(MpegStream& stream, Crc16* crc) {
    L2MonoSubband::read_scale_factor_selection(stream, crc);
    ch1_.read_scfsi(stream, crc);
}

void L2StereoSubband::read_scale_factors(MpegStream& stream, const FrameHeader& header) {
    L2MonoSubband::read_scale_factors(stream, header);
    ch1_.read_scale_factors(stream, *row_);
    coded_ = ch0_.allocation != 0 || ch1_.allocation != 0;
}

bool L2StereoSubband::read_samples(MpegStream& stream) {
    bool done = L2MonoSubband::read_samples(stream);
    ch1_.read_triple(stream, triple_counter_);
    return done;
}

bool L2StereoSubband::put_next_sample(SynthesisFilter* left, SynthesisFilter* right) {
    if (ch0_.allocation != 0) left->input[number_] = ch0_.scaled[sample_index_];
    if (ch1_.allocation != 0 && right) right->input[number_] = ch1_.scaled[sample_index_];
    return next_index();
}
