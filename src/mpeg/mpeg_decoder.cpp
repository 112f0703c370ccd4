// The frame loop shared by the decoding thread and the command-line decoder.
#include "mpeg/mpeg_decoder.h"

#include "mpeg/layer12_decode.h"
#include "platform/win/win.h"

int output_channels(const FrameHeader& first) { return first.mode == kSingleChannel ? 1 : 2; }

bool open_mpeg_file(MpegStream& stream, FrameHeader& header, const char* path, Crc16*& crc) {
    crc = nullptr;
    stream.open(path);
    if (!header.read_frame(stream, crc)) {
        MessageBoxA(nullptr, "No header found!", "File format error", MB_ICONERROR);
        return false;
    }
    return true;
}

void create_decoder(MpegDecoder& decoder, MpegStream& stream, FrameHeader& header,
                    PcmOutput& output) {
    decoder.left_filter = std::make_unique<SynthesisFilter>(0, 32768.0f);
    if (header.mode != kSingleChannel) {
        decoder.right_filter = std::make_unique<SynthesisFilter>(1, 32768.0f);
    }
    decoder.layer = header.layer;
    if (header.layer == 3) {
        decoder.layer3_decoder = std::make_unique<Layer3Decoder>(
            &stream, &header, decoder.left_filter.get(), decoder.right_filter.get(), &output);
    }
}

void decode_frame(MpegDecoder& decoder, MpegStream& stream, FrameHeader& header, Crc16* crc,
                  PcmOutput& output) {
    if (header.layer != decoder.layer) {
        if (header.layer == 3) {
            decoder.layer3_decoder = std::make_unique<Layer3Decoder>(
                &stream, &header, decoder.left_filter.get(), decoder.right_filter.get(), &output);
        } else if (decoder.layer == 3) {
            decoder.layer3_decoder.reset();
        }
        decoder.layer = header.layer;
    }
    if (header.layer == 3) {
        decoder.layer3_decoder->decode_frame();
    } else {
        decode_layer12_frame(stream, header, crc, decoder.left_filter.get(),
                             decoder.right_filter.get(), output);
    }
}

void release_decoder_objects(MpegDecoder& decoder) {
    decoder.left_filter.reset();
    decoder.right_filter.reset();
    decoder.layer3_decoder.reset();
}

bool decode_file(const char* path, const MakeOutput& make_output) {
    auto stream = std::make_unique<MpegStream>();
    FrameHeader header;
    Crc16* crc = nullptr;
    if (!open_mpeg_file(*stream, header, path, crc)) return false;
    std::unique_ptr<PcmOutput> output = make_output(output_channels(header), header);
    if (!output) return false;
    MpegDecoder decoder;
    create_decoder(decoder, *stream, header, *output);
    do {
        decode_frame(decoder, *stream, header, crc, *output);
    } while (header.read_frame(*stream, crc));
    output.reset();
    release_decoder_objects(decoder);
    return true;
}
