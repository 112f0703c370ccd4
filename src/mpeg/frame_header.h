// The header of the current MPEG audio frame, and the reading of one frame from the stream.
#pragma once

#include <cstdint>

#include "mpeg/crc16.h"
#include "mpeg/mpeg_stream.h"

enum FrameMode { kStereo = 0, kJointStereo = 1, kDualChannel = 2, kSingleChannel = 3 };

class FrameHeader {
public:
    // Finds and parses the next frame header, reads the body and, for a protected frame, the
    // checksum. Sets crc to the CRC register (already fed the header's low 16 bits) for a
    // protected frame, else to null.
    bool read_frame(MpegStream& stream, Crc16*& crc);

    int layer = 0;
    int protection_bit = 1;
    int bitrate_index = 0;
    int padding_bit = 0;
    int mode_extension = 0;
    int version = 1;
    int mode = 0;
    int sampling_frequency = 0;
    int subband_count = 0;
    int intensity_bound = 0;
    bool first_header_seen = false;
    std::uint16_t checksum = 0;
    int body_length = 0;
    int main_data_slots = 0;

    // Samples per channel that a frame of this header gives.
    int samples_per_frame() const {
        return layer == 1 ? 384 : (layer == 3 && version == 0 ? 576 : 1152);
    }
    int frequency_hz() const;

private:
    bool parse(std::uint32_t h);

    Crc16 crc_register_;
};

// The per-channel bit rate class used by layer II: the bitrate index mapped to a per-channel
// index unless the frame is single channel.
int layer2_channel_bitrate_index(const FrameHeader& header);
