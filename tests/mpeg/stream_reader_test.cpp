// The stream reader and frame header: frame lengths, the two sync tests, tags and unusable
// headers, the CRC register, and the bit reader.
#include <gtest/gtest.h>

#include "mpeg/frame_header.h"
#include "mpeg/mpeg_stream.h"
#include "mpeg_test_util.h"
#include "platform/win/win_scripted.h"

using namespace mpeg_test;

namespace {

struct Opened {
    explicit Opened(const Bytes& bytes) : file(bytes) { stream.open(file.path()); }
    bool next() { return header.read_frame(stream, crc); }

    TempFile file;
    MpegStream stream;
    FrameHeader header;
    Crc16* crc = nullptr;
};

HeaderFields layer2_128k() { return HeaderFields{}; }  // MPEG-1 layer II, 44.1 kHz, 128 kbit/s

}  // namespace

TEST(FrameHeader, FrameLengthsAndMainDataSlots) {
    struct Case {
        HeaderFields h;
        int body;
        int slots;
    };
    HeaderFields l2 = layer2_128k();
    HeaderFields l2_padded = l2;
    l2_padded.padding = 1;
    // 22.05 kHz layer III mono at 32 kbit/s: 104 bytes, 9 bytes of side information.
    HeaderFields lsf_l3{0, 3, 1, 4, 0, 0, 3, 0};
    HeaderFields lsf_l3_crc = lsf_l3;
    lsf_l3_crc.protection_bit = 0;
    // A layer II frame of the lower sampling frequencies carries 1152 samples: 24 kHz at
    // 96 kbit/s is 576 bytes, not half of that.
    HeaderFields lsf_l2{0, 2, 1, 10, 1, 0, 0, 0};
    HeaderFields l1{1, 1, 1, 1, 0, 0, 0, 0};         // 44.1 kHz, 32 kbit/s: 8 slots of 4 bytes
    HeaderFields l3_stereo{1, 3, 1, 9, 0, 0, 1, 0};  // 44.1 kHz, 128 kbit/s: 417 bytes
    for (const Case& c : {Case{l2, 413, 0}, Case{l2_padded, 414, 0}, Case{lsf_l3, 100, 91},
                          Case{lsf_l3_crc, 100, 89}, Case{lsf_l2, 572, 0}, Case{l1, 28, 0},
                          Case{l3_stereo, 413, 381}}) {
        Bytes bytes = frame(c.h);
        Opened o(bytes);
        ASSERT_TRUE(o.next());
        EXPECT_EQ(o.header.body_length, c.body);
        EXPECT_EQ(o.header.main_data_slots, c.slots);
        EXPECT_EQ(o.header.layer, c.h.layer);
        EXPECT_FALSE(o.next());
    }
}

TEST(FrameHeader, SubbandCountAndIntensityBound) {
    struct Case {
        HeaderFields h;
        int subbands;
        int bound;
    };
    HeaderFields joint = layer2_128k();  // 64 kbit/s per channel: 27 subbands
    joint.mode = 1;
    joint.mode_extension = 3;  // bound 16
    HeaderFields high = joint;
    high.bitrate_index = 11;                      // 96 kbit/s per channel: 30
    HeaderFields low{1, 2, 1, 4, 2, 0, 1, 3};     // 32 kHz joint stereo at 64 kbit/s: 12 subbands
    HeaderFields mono48{1, 2, 1, 4, 1, 0, 3, 0};  // 48 kHz mono at 64 kbit/s: 27
    HeaderFields lsf{0, 2, 1, 8, 0, 0, 0, 0};
    HeaderFields l1{1, 1, 1, 4, 0, 0, 1, 1};
    for (const Case& c : {Case{joint, 27, 16}, Case{high, 30, 16}, Case{low, 12, 12},
                          Case{mono48, 27, 0}, Case{lsf, 30, 0}, Case{l1, 32, 8}}) {
        Opened o(frame(c.h));
        ASSERT_TRUE(o.next());
        EXPECT_EQ(o.header.subband_count, c.subbands);
        EXPECT_EQ(o.header.intensity_bound, c.bound);
    }
}

TEST(FrameHeader, LooseSyncSkipsLeadingBytesAndStrictSyncComparesTheFirstFrame) {
    HeaderFields stereo = layer2_128k();
    HeaderFields joint = stereo;
    joint.mode = 1;
    HeaderFields other_rate = stereo;
    other_rate.sampling_frequency = 1;
    HeaderFields other_version = stereo;
    other_version.version = 0;
    other_version.bitrate_index = 8;
    HeaderFields mono = stereo;
    mono.mode = 3;
    HeaderFields layer3 = stereo;
    layer3.layer = 3;
    layer3.bitrate_index = 9;
    HeaderFields dual = stereo;
    dual.mode = 2;
    dual.bitrate_index = 10;

    Bytes bytes = {'n', 'o', 't', ' ', 0xFF, 0x00, 0x12};
    append(bytes, frame(stereo));
    append(bytes, {0x01, 0xFF, 0x02});    // garbage between frames
    append(bytes, frame(joint));          // another mode with two channels: accepted
    append(bytes, frame(other_rate));     // rejected: sampling frequency
    append(bytes, frame(other_version));  // rejected: version
    append(bytes, frame(mono));           // rejected: single channel after two channels
    append(bytes, frame(layer3));         // accepted: layer and bit rate may change
    append(bytes, frame(dual));
    Opened o(bytes);
    std::vector<std::pair<int, int>> seen;  // layer, mode
    while (o.next()) seen.emplace_back(o.header.layer, o.header.mode);
    std::vector<std::pair<int, int>> expected = {{2, 0}, {2, 1}, {3, 0}, {2, 2}};
    EXPECT_EQ(seen, expected);
}

TEST(FrameHeader, SingleChannelStreamsKeepToSingleChannel) {
    HeaderFields mono = layer2_128k();
    mono.mode = 3;
    HeaderFields stereo = layer2_128k();
    Bytes bytes = frame(mono);
    append(bytes, frame(stereo));
    append(bytes, frame(mono));
    Opened o(bytes);
    int frames = 0;
    while (o.next()) {
        EXPECT_EQ(o.header.mode, 3);
        ++frames;
    }
    EXPECT_EQ(frames, 2);
}

TEST(FrameHeader, HeadersWithoutAFrameLengthAreNeverRead) {
    HeaderFields free_format = layer2_128k();
    free_format.bitrate_index = 0;
    HeaderFields forbidden = layer2_128k();
    forbidden.bitrate_index = 15;
    HeaderFields reserved = layer2_128k();
    reserved.layer = 0;
    HeaderFields good = layer2_128k();

    Bytes bytes;
    append_word(bytes, header_word(free_format));
    append(bytes, Bytes(40, 0x55));
    append_word(bytes, header_word(forbidden));
    append_word(bytes, header_word(reserved));
    append(bytes, frame(good));
    append_word(bytes, header_word(forbidden));  // after the first frame too
    append(bytes, frame(good));
    Opened o(bytes);
    ASSERT_TRUE(o.next());
    EXPECT_EQ(o.header.bitrate_index, 8);
    EXPECT_EQ(o.header.body_length, 413);
    ASSERT_TRUE(o.next());
    EXPECT_EQ(o.header.bitrate_index, 8);
    EXPECT_FALSE(o.next());
}

TEST(FrameHeader, Id3v2TagIsSkippedBeforeTheSyncSearch) {
    HeaderFields good = layer2_128k();
    good.bitrate_index = 9;
    for (bool footer : {false, true}) {
        // The tag's text holds a pair that passes the loose test, with a valid sampling
        // frequency: read as a header it would be a 160 kbit/s layer I frame.
        Bytes tag_body = {'T', 'I', 'T', '2', 0xFF, 0xFF, 0xA0, 0x00, 'x', 'y'};
        tag_body.resize(300, 0);
        Bytes bytes = {'I', 'D', '3',  3,   0, static_cast<std::uint8_t>(footer ? 0x10 : 0x00),
                       0,   0,   0x02, 0x2C};  // size 300, sync-safe
        append(bytes, tag_body);
        if (footer) append(bytes, {'3', 'D', 'I', 3, 0, 0x10, 0, 0, 0x02, 0x2C});
        append(bytes, frame(good));
        append(bytes, frame(good));
        Opened o(bytes);
        int frames = 0;
        while (o.next()) {
            EXPECT_EQ(o.header.layer, 2);
            EXPECT_EQ(o.header.bitrate_index, 9);
            ++frames;
        }
        EXPECT_EQ(frames, 2) << "footer " << footer;
    }
}

TEST(FrameHeader, SyncSearchGivesUpAfterItsBound) {
    const auto junk = [](long n) { return Bytes(static_cast<std::size_t>(n), 0); };
    const long bound = MpegStream::kMaxSearchBytes;
    const auto frames_in = [](const Bytes& bytes) {
        Opened o(bytes);
        int frames = 0;
        while (o.next()) ++frames;
        return frames;
    };
    // Counted from the start, or from the end of an ID3v2 tag, to the first frame.
    Bytes within = junk(bound);
    append(within, frame(layer2_128k()));
    EXPECT_EQ(frames_in(within), 1);
    Bytes beyond = junk(bound + 1);
    append(beyond, frame(layer2_128k()));
    EXPECT_EQ(frames_in(beyond), 0);
    Bytes tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x02, 0x2C};  // 300 bytes of tag
    append(tagged, junk(300 + bound));
    append(tagged, frame(layer2_128k()));
    EXPECT_EQ(frames_in(tagged), 1);
    // Counted from the end of the frame before.
    Bytes gap = frame(layer2_128k());
    append(gap, junk(bound));
    append(gap, frame(layer2_128k()));
    append(gap, junk(bound + 1));
    append(gap, frame(layer2_128k()));
    EXPECT_EQ(frames_in(gap), 2);
}

TEST(FrameHeader, SyncSearchEndsWhenAStopIsAsked) {
    Bytes bytes = Bytes(static_cast<std::size_t>(MpegStream::kMaxSearchBytes) - 1000, 0);
    append(bytes, frame(layer2_128k()));
    {
        Opened o(bytes);
        int asked = 0;
        // Raised once the search has begun: it ends within kStopQueryInterval bytes.
        o.stream.set_stop_query([&] { return ++asked > 1; });
        EXPECT_FALSE(o.next());
        EXPECT_EQ(asked, 2);
    }
    Opened o(bytes);
    o.stream.set_stop_query([] { return false; });
    EXPECT_TRUE(o.next());
}

TEST(FrameHeader, UnknownSampleFrequencyIsReported) {
    ScriptedWin win;
    HeaderFields bad = layer2_128k();
    bad.sampling_frequency = 3;
    Bytes bytes;
    append_word(bytes, header_word(bad));
    append(bytes, frame(layer2_128k()));
    Opened o(bytes);
    EXPECT_FALSE(o.next());
    auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unknown sample frequency in header");
    EXPECT_EQ(boxes[0].caption, "Stream not supported");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);
}

TEST(MpegStream, FileThatCannotBeOpenedIsReportedAndReadsNothing) {
    ScriptedWin win;
    MpegStream stream;
    FrameHeader header;
    Crc16* crc = nullptr;
    EXPECT_FALSE(stream.open("/nonexistent/lumivex/song.mp3"));
    EXPECT_FALSE(header.read_frame(stream, crc));
    auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Error opening file: /nonexistent/lumivex/song.mp3");
    EXPECT_EQ(boxes[0].caption, "Invalid handle");
    EXPECT_EQ(boxes[0].type, MB_OK);
}

TEST(FrameHeader, CutLastFrameIsNotRead) {
    Bytes bytes = frame(layer2_128k());
    Bytes second = frame(layer2_128k());
    second.resize(200);
    append(bytes, second);
    Opened o(bytes);
    EXPECT_TRUE(o.next());
    EXPECT_FALSE(o.next());
}

TEST(FrameHeader, ProtectedFrameHandsOutTheRegisterFedWithTheHeader) {
    HeaderFields h = layer2_128k();
    h.protection_bit = 0;
    std::uint32_t word = header_word(h);
    BitWriter body;
    body.put(0xBEEF, 16);  // the checksum
    body.put(0x5, 3);
    Bytes bytes = frame(h, body.bytes());
    append(bytes, frame(h, body.bytes()));
    append(bytes, frame(layer2_128k()));

    std::vector<int> header_bits;
    for (int i = 15; i >= 0; --i) header_bits.push_back((word >> i) & 1);
    Opened o(bytes);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(o.next());
        ASSERT_NE(o.crc, nullptr);
        EXPECT_EQ(o.header.checksum, 0xBEEF);
        // A fresh register for every frame, whatever the last frame left in it.
        EXPECT_EQ(o.crc->reg, crc_of_bits(header_bits));
        // The first side-information bit follows the checksum.
        EXPECT_EQ(o.stream.get_bits(3), 0x5u);
        o.crc->add_bits(0x1234, 16);
    }
    ASSERT_TRUE(o.next());
    EXPECT_EQ(o.crc, nullptr);
}

TEST(Crc16, MatchesTheStandardsGenerator) {
    Crc16 crc;
    crc.add_bits(0xA5, 8);
    crc.add_bits(0x3, 2);
    std::vector<int> bits = {1, 0, 1, 0, 0, 1, 0, 1, 1, 1};
    EXPECT_EQ(crc.reg, crc_of_bits(bits));
}

TEST(MpegStream, GetBitsAcrossWordsAndPastTheBody) {
    Bytes body;
    for (int i = 0; i < 413; ++i) body.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    Opened o(frame(layer2_128k(), body));
    ASSERT_TRUE(o.next());
    // Reference reader over the bytes.
    long bit = 0;
    auto reference = [&](int n) {
        unsigned v = 0;
        for (int i = 0; i < n; ++i, ++bit) {
            long byte = bit / 8;
            int b = byte < 413 ? (body[byte] >> (7 - bit % 8)) & 1 : 0;
            v = (v << 1) | static_cast<unsigned>(b);
        }
        return v;
    };
    const int widths[] = {13, 16, 1, 7, 16, 3, 11, 16, 5};
    for (int i = 0; bit < 413 * 8 - 16; ++i) {
        int n = widths[i % 9];
        ASSERT_EQ(o.stream.get_bits(n), reference(n)) << "at bit " << bit;
    }
    // Far beyond the longest body, the reader stays inside its buffer and gives zeros.
    Opened zero(frame(layer2_128k()));
    ASSERT_TRUE(zero.next());
    for (int i = 0; i < 2000; ++i) zero.stream.get_bits(16);
    EXPECT_EQ(zero.stream.get_bits(16), 0u);
    EXPECT_EQ(zero.stream.get_bits(9), 0u);
}

TEST(MpegStream, GetBytesReadsLikeGetBits) {
    Bytes body;
    for (int i = 0; i < 413; ++i) body.push_back(static_cast<std::uint8_t>(i * 91 + 3));
    Opened a(frame(layer2_128k(), body));
    Opened b(frame(layer2_128k(), body));
    ASSERT_TRUE(a.next());
    ASSERT_TRUE(b.next());
    a.stream.get_bits(16);
    b.stream.get_bits(16);
    std::uint8_t bytes[400];
    a.stream.get_bytes(bytes, 400);
    for (int i = 0; i < 400; ++i) ASSERT_EQ(bytes[i], b.stream.get_bits(8)) << i;
    EXPECT_EQ(a.stream.get_bits(16), b.stream.get_bits(16));
}
