// The frame loop the decoding thread drives: first frame, layer changes, protected first
// frames, frames the reservoir cannot serve yet, and files that are not MPEG audio.
#include <gtest/gtest.h>

#include "mpeg/mpeg_decoder.h"
#include "mpeg_test_util.h"
#include "platform/win/win_scripted.h"

using namespace mpeg_test;

namespace {

struct FileRun {
    bool found = false;
    int channels = 0;
    RecordingOutput* out = nullptr;
    std::vector<int> layers;  // layer of each frame decoded
    std::vector<bool> layer3_decoder_present;
};

// Decodes a whole file the way decode_file does, watching the decoder objects frame by frame.
FileRun run_file(const Bytes& bytes, RecordingOutput& out) {
    TempFile file(bytes);
    FileRun run;
    run.out = &out;
    MpegStream stream;
    FrameHeader header;
    Crc16* crc = nullptr;
    if (!open_mpeg_file(stream, header, file.path(), crc)) return run;
    run.found = true;
    run.channels = output_channels(header);
    MpegDecoder decoder;
    create_decoder(decoder, stream, header, out);
    EXPECT_EQ(decoder.right_filter != nullptr, run.channels == 2);
    do {
        decode_frame(decoder, stream, header, crc, out);
        run.layers.push_back(header.layer);
        run.layer3_decoder_present.push_back(decoder.layer3_decoder != nullptr);
    } while (header.read_frame(stream, crc));
    release_decoder_objects(decoder);
    return run;
}

HeaderFields layer3_frame_header() {
    HeaderFields h;
    h.layer = 3;
    h.bitrate_index = 9;  // 128 kbit/s at 44.1 kHz: 417 bytes
    return h;
}

}  // namespace

TEST(DecoderLoop, LayerThreeToTwoAndBackKeepsPlaying) {
    // All-zero bodies are valid silent frames in both layers.
    Bytes bytes;
    for (int i = 0; i < 3; ++i) append(bytes, frame(layer3_frame_header()));
    for (int i = 0; i < 2; ++i) append(bytes, frame(HeaderFields{}));
    for (int i = 0; i < 2; ++i) append(bytes, frame(layer3_frame_header()));
    RecordingOutput out;
    FileRun run = run_file(bytes, out);
    ASSERT_TRUE(run.found);
    EXPECT_EQ(run.layers, (std::vector<int>{3, 3, 3, 2, 2, 3, 3}));
    EXPECT_EQ(run.layer3_decoder_present,
              (std::vector<bool>{true, true, true, false, false, true, true}));
    EXPECT_EQ(out.frames_done, 7);
    EXPECT_EQ(out.samples[0].size(), 7u * 1152);
    EXPECT_EQ(out.samples[1].size(), 7u * 1152);
    for (int v : out.samples[0]) ASSERT_EQ(v, 0);
}

TEST(DecoderLoop, LayerThreeFrameReferringToMissingDataIsDropped) {
    HeaderFields h = layer3_frame_header();
    h.mode = 3;
    h.bitrate_index = 5;  // 64 kbit/s mono: 208 bytes, 17 bytes of side information
    BitWriter side;
    side.put(100, 9);  // main data begins 100 bytes back: nothing is stored yet
    Bytes bytes = frame(h, side.bytes());
    append(bytes, frame(h));
    append(bytes, frame(h));
    RecordingOutput out;
    FileRun run = run_file(bytes, out);
    EXPECT_EQ(run.channels, 1);
    EXPECT_EQ(out.frames_done, 2);
    EXPECT_EQ(out.samples[0].size(), 2u * 1152);
    EXPECT_TRUE(out.samples[1].empty());
}

TEST(DecoderLoop, LowerSamplingFrequencyLayerThreeGives576SamplesAFrame) {
    HeaderFields h{0, 3, 1, 8, 0, 0, 0, 0};  // 22.05 kHz stereo at 64 kbit/s
    Bytes bytes;
    for (int i = 0; i < 4; ++i) append(bytes, frame(h));
    RecordingOutput out;
    FileRun run = run_file(bytes, out);
    EXPECT_EQ(out.frames_done, 4);
    EXPECT_EQ(out.samples[0].size(), 4u * 576);
    EXPECT_EQ(out.samples[1].size(), 4u * 576);
}

TEST(DecoderLoop, ProtectedFirstFrameIsCheckedLikeTheOthers) {
    // Protected layer II frames with no allocation: the checksum covers the header's low 16
    // bits and the 2 * (11 * 4 + 12 * 3 + 7 * 2) zero allocation bits.
    HeaderFields h;
    h.protection_bit = 0;
    h.bitrate_index = 11;  // 192 kbit/s: 30 subbands
    std::vector<int> bits;
    std::uint32_t word = header_word(h);
    for (int i = 15; i >= 0; --i) bits.push_back((word >> i) & 1);
    bits.resize(bits.size() + 2 * (11 * 4 + 12 * 3 + 7 * 2), 0);
    std::uint16_t crc = crc_of_bits(bits);
    BitWriter good, bad;
    good.put(crc, 16);
    bad.put(crc ^ 1u, 16);
    Bytes bytes = frame(h, bad.bytes());
    append(bytes, frame(h, good.bytes()));
    append(bytes, frame(h, bad.bytes()));
    append(bytes, frame(h, good.bytes()));
    RecordingOutput out;
    FileRun run = run_file(bytes, out);
    EXPECT_EQ(run.layers.size(), 4u);
    EXPECT_EQ(out.frames_done, 2);
    EXPECT_EQ(out.samples[0].size(), 2u * 1152);
}

TEST(DecoderLoop, FileWithoutFramesReportsNoHeader) {
    ScriptedWin win;
    Bytes text(5000, 'a');
    TempFile file(text);
    bool made_output = false;
    EXPECT_FALSE(decode_file(file.path(), [&](int, const FrameHeader&) {
        made_output = true;
        return std::unique_ptr<PcmOutput>(new RecordingOutput);
    }));
    EXPECT_FALSE(made_output);
    auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No header found!");
    EXPECT_EQ(boxes[0].caption, "File format error");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);
}

TEST(DecoderLoop, DecodeFileMakesTheOutputForTheFirstFrame) {
    HeaderFields h;
    h.mode = 3;
    h.sampling_frequency = 1;
    Bytes bytes = frame(h);
    append(bytes, frame(h));
    TempFile file(bytes);
    int channels = 0;
    int frequency = 0;
    EXPECT_TRUE(decode_file(file.path(), [&](int c, const FrameHeader& first) {
        channels = c;
        frequency = first.frequency_hz();
        return std::unique_ptr<PcmOutput>(new RecordingOutput);
    }));
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(frequency, 48000);
}
