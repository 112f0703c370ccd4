// The three layer I subband classes: single channel, intensity-coded and stereo.
#include "mpeg/subband.h"
#include "mpeg/subband_tables.h"

void L1Channel::set_allocation(int value) {
    // Allocation 15 is forbidden and has no factor; it is taken as "nothing transmitted".
    allocation = (value == 15) ? 0 : value;
    if (allocation != 0) {
        const SubbandTables& t = subband_tables();
        sample_length = allocation + 1;
        factor = t.layer1_factor[allocation];
        offset = t.layer1_offset[allocation];
    }
}

void L1Channel::read_scale_factor(MpegStream& stream) {
    if (allocation != 0) scale_factor = subband_tables().scale_factor[stream.get_bits(6)];
}

void L1Channel::read_sample(MpegStream& stream) {
    if (allocation != 0) sample = static_cast<float>(stream.get_bits(sample_length));
}

void L1MonoSubband::read_allocation(MpegStream& stream, const FrameHeader&, Crc16* crc) {
    unsigned a = stream.get_bits(4);
    if (crc) crc->add_bits(a, 4);
    ch0_.set_allocation(static_cast<int>(a));
    coded_ = ch0_.allocation != 0;
}

void L1MonoSubband::read_scale_factors(MpegStream& stream, const FrameHeader&) {
    ch0_.read_scale_factor(stream);
}

bool L1MonoSubband::read_samples(MpegStream& stream) {
    ch0_.read_sample(stream);
    if (++sample_counter_ == 12) {
        sample_counter_ = 0;
        return true;
    }
    return false;
}

bool L1MonoSubband::put_next_sample(SynthesisFilter* left, SynthesisFilter*) {
    if (ch0_.allocation != 0) left->input[number_] = ch0_.value() * ch0_.scale_factor;
    return true;
}

void L1IntensitySubband::read_scale_factors(MpegStream& stream, const FrameHeader& header) {
    L1MonoSubband::read_scale_factors(stream, header);
    if (ch0_.allocation != 0) scale_factor1_ = subband_tables().scale_factor[stream.get_bits(6)];
}

bool L1IntensitySubband::put_next_sample(SynthesisFilter* left, SynthesisFilter* right) {
    if (ch0_.allocation != 0) {
        float v = ch0_.value();
        ch0_.sample = v;
        left->input[number_] = v * ch0_.scale_factor;
        if (right) right->input[number_] = v * scale_factor1_;
    }
    return true;
}

void L1StereoSubband::read_allocation(MpegStream& stream, const FrameHeader&, Crc16* crc) {
    unsigned a0 = stream.get_bits(4);
    unsigned a1 = stream.get_bits(4);
    if (crc) {
        crc->add_bits(a0, 4);
        crc->add_bits(a1, 4);
    }
    ch0_.set_allocation(static_cast<int>(a0));
    ch1_.set_allocation(static_cast<int>(a1));
    coded_ = ch0_.allocation != 0 || ch1_.allocation != 0;
}

void L1StereoSubband::read_scale_factors(MpegStream& stream, const FrameHeader& header) {
    L1MonoSubband::read_scale_factors(stream, header);
    ch1_.read_scale_factor(stream);
}

bool L1StereoSubband::read_samples(MpegStream& stream) {
    bool done = L1MonoSubband::read_samples(stream);
    ch1_.read_sample(stream);
    return done;
}

bool L1StereoSubband::put_next_sample(SynthesisFilter* left, SynthesisFilter* right) {
    L1MonoSubband::put_next_sample(left, right);
    if (ch1_.allocation != 0 && right) right->input[number_] = ch1_.value() * ch1_.scale_factor;
    return true;
}
