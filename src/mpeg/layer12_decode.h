// The per-frame procedure of layers I and II: subband objects in bit-stream order, CRC, filters.
#pragma once

#include "mpeg/crc16.h"
#include "mpeg/frame_header.h"
#include "mpeg/mpeg_stream.h"
#include "mpeg/pcm_output.h"
#include "mpeg/synthesis_filter.h"

// Decodes the layer I or II frame in the stream's buffer into the filters (the right one is
// null for a single-channel stream) and the output. A frame whose checksum does not match
// gives no samples and no frame-done call; false then.
bool decode_layer12_frame(MpegStream& stream, const FrameHeader& header, Crc16* crc,
                          SynthesisFilter* left, SynthesisFilter* right, PcmOutput& output);
