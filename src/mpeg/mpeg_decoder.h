// The decoder objects of one decoding run and the frame loop that the decoding thread drives.
#pragma once

#include <functional>
#include <memory>

#include "mpeg/crc16.h"
#include "mpeg/frame_header.h"
#include "mpeg/layer3_decoder.h"
#include "mpeg/mpeg_stream.h"
#include "mpeg/pcm_output.h"
#include "mpeg/synthesis_filter.h"

// The filters and the layer III decoder of one file, and the layer of the previous frame.
struct MpegDecoder {
    std::unique_ptr<SynthesisFilter> left_filter;
    std::unique_ptr<SynthesisFilter> right_filter;  // absent for a single-channel stream
    std::unique_ptr<Layer3Decoder> layer3_decoder;  // present while the frames are layer III
    int layer = 0;
};

// Output channels for a stream whose first frame has this header: 1 for single channel, else 2.
int output_channels(const FrameHeader& first);

// Opens the file and reads its first frame. When no frame is found (the file cannot be
// opened, is not MPEG audio, or has a reserved sampling frequency) shows "No header found!" /
// "File format error" after the stream's own message and returns false.
bool open_mpeg_file(MpegStream& stream, FrameHeader& header, const char* path, Crc16*& crc);

// Creates the filters for the first frame in the stream (scale 32768) and, when it is a
// layer III frame, the Layer3Decoder.
void create_decoder(MpegDecoder& decoder, MpegStream& stream, FrameHeader& header,
                    PcmOutput& output);

// Decodes the frame in the stream's buffer: follows a change of layer (a Layer3Decoder is
// made afresh when the layer becomes III and dropped when it leaves III), then runs the
// layer III decoder or the layer I/II frame decode with the frame's CRC register.
void decode_frame(MpegDecoder& decoder, MpegStream& stream, FrameHeader& header, Crc16* crc,
                  PcmOutput& output);

// Deletes the filters and the layer III decoder.
void release_decoder_objects(MpegDecoder& decoder);

// One whole file the way the decoding thread plays it: open and first frame, the output from
// make_output(channels, first header), then every frame until the stream ends. False when no
// frame header was found (nothing was decoded).
using MakeOutput = std::function<std::unique_ptr<PcmOutput>(int channels, const FrameHeader&)>;
bool decode_file(const char* path, const MakeOutput& make_output);
