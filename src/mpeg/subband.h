// The layer I and II subband objects: each reads its own allocation, scale factors and samples
// and writes its requantised samples into the synthesis filters' input slots.
#pragma once

#include "mpeg/crc16.h"
#include "mpeg/frame_header.h"
#include "mpeg/layer2_tables.h"
#include "mpeg/mpeg_stream.h"
#include "mpeg/synthesis_filter.h"

class Subband {
public:
    explicit Subband(int number) : number_(number) {}
    virtual ~Subband() = default;
    Subband(const Subband&) = default;
    Subband& operator=(const Subband&) = default;

    virtual void read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) = 0;
    virtual void read_scale_factors(MpegStream& stream, const FrameHeader& header) = 0;
    // True after the twelfth call.
    virtual bool read_samples(MpegStream& stream) = 0;
    // True when the samples of the last read are used up. The right filter is null for a
    // single-channel stream.
    virtual bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) = 0;
    // Layer II only.
    virtual void read_scale_factor_selection(MpegStream& /*stream*/, Crc16* /*crc*/) {}

    // Whether any channel of the subband has samples in this frame (known once the allocation
    // is read). A subband without reads no bits and writes no input slot.
    bool coded() const { return coded_; }

protected:
    int number_;
    bool coded_ = false;
};

// ---- Layer I ----

// One channel's part of a layer I subband.
struct L1Channel {
    int allocation = 0;
    float scale_factor = 0.0f;
    int sample_length = 0;
    float sample = 0.0f;
    float factor = 0.0f;
    float offset = 0.0f;

    void set_allocation(int value);
    void read_scale_factor(MpegStream& stream);
    void read_sample(MpegStream& stream);
    float value() const { return sample * factor + offset; }
};

class L1MonoSubband : public Subband {
public:
    using Subband::Subband;
    void read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) override;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool read_samples(MpegStream& stream) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;

protected:
    int sample_counter_ = 0;
    L1Channel ch0_;
};

class L1IntensitySubband : public L1MonoSubband {
public:
    using L1MonoSubband::L1MonoSubband;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;

private:
    float scale_factor1_ = 0.0f;
};

class L1StereoSubband : public L1MonoSubband {
public:
    using L1MonoSubband::L1MonoSubband;
    void read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) override;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool read_samples(MpegStream& stream) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;

private:
    L1Channel ch1_;
};

// ---- Layer II ----

// Scale factor of the part a triple counter (1..12) is in.
inline float scale_factor_part(const float (&scale_factor)[3], int triple_counter) {
    return scale_factor[triple_counter <= 4 ? 0 : (triple_counter <= 8 ? 1 : 2)];
}

// One channel's part of a layer II subband.
struct L2Channel {
    int allocation = 0;
    int scfsi = 0;
    float scale_factor[3] = {0.0f, 0.0f, 0.0f};
    int code_length = 0;
    const float (*group)[3] = nullptr;  // degrouping table, or null for ungrouped classes
    int group_size = 0;                 // entries of the degrouping table
    float factor = 0.0f;
    float sample[3] = {0.0f, 0.0f, 0.0f};
    float c = 0.0f;
    float d = 0.0f;
    // The triple requantised ((v + D) * C for ungrouped classes), and as it goes to the filter,
    // scaled: both made when it is read, so that the three put calls only store it.
    float requantised[3] = {0.0f, 0.0f, 0.0f};
    float scaled[3] = {0.0f, 0.0f, 0.0f};

    void read_scfsi(MpegStream& stream, Crc16* crc);
    void read_scale_factors(MpegStream& stream, const Layer2AllocationRow& row);
    // Reads the triple (nothing without allocation) and scales it with the part of the scale
    // factors that the triple counter (already counting this triple) is in.
    void read_triple(MpegStream& stream, int triple_counter);
};

class L2MonoSubband : public Subband {
public:
    L2MonoSubband(int number, const Layer2AllocationRow& row) : Subband(number), row_(&row) {}
    void read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) override;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool read_samples(MpegStream& stream) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;
    void read_scale_factor_selection(MpegStream& stream, Crc16* crc) override;

protected:
    // Advances the sample index; true when the triple is used up.
    bool next_index() { return sample_index_++ == 2; }

    const Layer2AllocationRow* row_;
    L2Channel ch0_;
    int triple_counter_ = 0;
    int sample_index_ = 0;
};

class L2IntensitySubband : public L2MonoSubband {
public:
    using L2MonoSubband::L2MonoSubband;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool read_samples(MpegStream& stream) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;
    void read_scale_factor_selection(MpegStream& stream, Crc16* crc) override;

private:
    int scfsi1_ = 0;
    float scale_factor1_[3] = {0.0f, 0.0f, 0.0f};
    float scaled1_[3] = {0.0f, 0.0f, 0.0f};
};

class L2StereoSubband : public L2MonoSubband {
public:
    using L2MonoSubband::L2MonoSubband;
    void read_allocation(MpegStream& stream, const FrameHeader& header, Crc16* crc) override;
    void read_scale_factors(MpegStream& stream, const FrameHeader& header) override;
    bool read_samples(MpegStream& stream) override;
    bool put_next_sample(SynthesisFilter* left, SynthesisFilter* right) override;
    void read_scale_factor_selection(MpegStream& stream, Crc16* crc) override;

private:
    L2Channel ch1_;
};

// The allocation table of a layer II frame (ISO/IEC 11172-3 B.2a-d by sampling frequency and
// bit rate per channel; ISO/IEC 13818-3 B.1 for the lower sampling frequencies).
const Layer2AllocationTable& layer2_allocation_table(const FrameHeader& header);

// Reads the six scale factor indices' worth of a scfsi pattern into three parts.
void read_layer2_scale_factors(MpegStream& stream, int scfsi, float (&scale_factor)[3]);
