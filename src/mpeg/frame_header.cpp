// Reading one MPEG audio frame: header fields, subband count, frame length, body and checksum.
#include "mpeg/frame_header.h"

#include "mpeg/header_tables.h"
#include "platform/win/win.h"

int layer2_channel_bitrate_index(const FrameHeader& header) {
    int b = header.bitrate_index;
    if (header.mode != kSingleChannel) b = (b == 4) ? 1 : b - 4;
    return b;
}

int FrameHeader::frequency_hz() const { return kSamplingFrequencies[version][sampling_frequency]; }

bool FrameHeader::read_frame(MpegStream& stream, Crc16*& crc) {
    crc = nullptr;
    std::uint32_t h = 0;
    for (;;) {
        if (!first_header_seen) {
            if (!stream.read_header_word(h, false)) return false;
            version = (h >> 19) & 1;
            sampling_frequency = (h >> 10) & 3;
            if (sampling_frequency == 3) {
                MessageBoxA(nullptr, "Unknown sample frequency in header", "Stream not supported",
                            MB_ICONERROR);
                return false;
            }
            if (parse(h)) {
                stream.set_sync_pattern(h);
                first_header_seen = true;
                break;
            }
        } else {
            if (!stream.read_header_word(h, true)) return false;
            if (parse(h)) break;
        }
        // Free format, bit rate index 15 and the reserved layer give no frame length: such a
        // header is passed over like any other byte that is not a frame.
        stream.reject_header();
    }
    if (!stream.read_body(body_length)) return false;
    if (protection_bit == 0) {
        checksum = static_cast<std::uint16_t>(stream.get_bits(16));
        // A fresh start for every frame: layer III frames are never compared, and a register
        // left over from them would fail the next protected layer I or II frame.
        crc_register_.reg = 0xFFFF;
        crc_register_.add_bits(h & 0xFFFFu, 16);
        crc = &crc_register_;
    }
    return true;
}

bool FrameHeader::parse(std::uint32_t h) {
    int new_layer = static_cast<int>((0u - (h >> 17)) & 3u);
    int new_bitrate_index = static_cast<int>((h >> 12) & 15);
    if (new_layer == 0 || new_bitrate_index == 0 || new_bitrate_index == 15) return false;
    layer = new_layer;
    bitrate_index = new_bitrate_index;
    protection_bit = static_cast<int>((h >> 16) & 1);
    padding_bit = static_cast<int>((h >> 9) & 1);
    mode = static_cast<int>((h >> 6) & 3);
    mode_extension = static_cast<int>((h >> 4) & 3);
    intensity_bound = (mode == kJointStereo) ? mode_extension * 4 + 4 : 0;

    if (layer == 1) {
        subband_count = 32;
    } else if (layer == 2 && version == 0) {
        subband_count = 30;  // the one allocation table of the lower sampling frequencies
    } else {
        int b = layer2_channel_bitrate_index(*this);
        if (b == 1 || b == 2) {
            subband_count = (sampling_frequency == 2) ? 12 : 8;
        } else if (sampling_frequency == 1 || (b >= 3 && b <= 5)) {
            subband_count = 27;
        } else {
            subband_count = 30;
        }
    }
    if (intensity_bound > subband_count) intensity_bound = subband_count;

    long bitrate = kBitrates[version][layer][bitrate_index];
    long frequency = kSamplingFrequencies[version][sampling_frequency];
    if (layer == 1) {
        body_length = static_cast<int>((12 * bitrate / frequency + padding_bit) * 4 - 4);
        main_data_slots = 0;
    } else {
        long n = 144 * bitrate / frequency;
        // A layer III frame of the lower sampling frequencies carries 576 samples, half of
        // layer II's 1152, so only layer III halves the length.
        if (version == 0 && layer == 3) n >>= 1;
        n += padding_bit;
        body_length = static_cast<int>(n - 4);
        main_data_slots = 0;
        if (layer == 3) {
            long side = (version == 1) ? (mode == kSingleChannel ? 17 : 32)
                                       : (mode == kSingleChannel ? 9 : 17);
            long slots = n - side - (protection_bit == 0 ? 2 : 0) - 4;
            main_data_slots = slots > 0 ? static_cast<int>(slots) : 0;
        }
    }
    return body_length >= 0 && body_length <= MpegStream::kBodyWords * 4;
}
