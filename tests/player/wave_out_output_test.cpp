// The wave-out PCM output on the capture device: buffer sizes, interleaving, the padded last
// buffer, the waits of the rotation, a stopped output, larger frames than the first.
#include "player/wave_out_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/win/win_scripted.h"
#include "platform/winmm/wave_capture.h"
#include "player/completion_semaphore.h"

namespace {

FrameHeader header_of(int layer, int version = 1, int frequency_index = 0) {
    FrameHeader h;
    h.layer = layer;
    h.version = version;
    h.sampling_frequency = frequency_index;
    return h;
}

// Sample value n of channel k, distinct across channels and frames, low and high bytes apart.
int sample(int k, int n) { return static_cast<std::int16_t>((k ? 0x4000 : 0x1000) + n * 3 - 5000); }

// Feeds `frames` frames of `per_frame` samples a channel, in the synthesis filter's runs of 32.
void feed(PcmOutput& out, int channels, int frames, int per_frame, int* next = nullptr) {
    int n = next ? *next : 0;
    for (int f = 0; f < frames; ++f) {
        for (int run = 0; run < per_frame; run += 32) {
            for (int k = 0; k < channels; ++k) {
                for (int i = 0; i < 32; ++i) out.put_sample(k, sample(k, n + run + i));
            }
        }
        n += per_frame;
        out.frame_done(1);
    }
    if (next) *next = n;
}

// The bytes a correct output plays for n samples a channel: interleaved little-endian.
std::vector<std::uint8_t> expected_pcm(int channels, int samples) {
    std::vector<std::uint8_t> out;
    for (int n = 0; n < samples; ++n) {
        for (int k = 0; k < channels; ++k) {
            const auto v = static_cast<std::uint16_t>(sample(k, n));
            out.push_back(static_cast<std::uint8_t>(v & 0xFF));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    return out;
}

bool all_zero(const std::vector<std::uint8_t>& v, std::size_t from) {
    for (std::size_t i = from; i < v.size(); ++i) {
        if (v[i] != 0) return false;
    }
    return true;
}

class WaveOut : public testing::Test {
protected:
    ScriptedWin win_;
    CaptureWave wave_;
};

TEST_F(WaveOut, BufferHoldsThirtyTwoFramesOfTheFirstFramesLayerAndVersion) {
    const struct {
        int layer, version, channels;
        unsigned bytes;
        DWORD rate;
    } cases[] = {
        {1, 1, 1, 24576, 44100},     {1, 1, 2, 2 * 24576, 44100}, {2, 1, 1, 73728, 44100},
        {2, 1, 2, 2 * 73728, 44100}, {3, 1, 2, 2 * 73728, 44100}, {3, 0, 1, 36864, 22050},
        {3, 0, 2, 2 * 36864, 22050}, {2, 0, 2, 2 * 73728, 22050},
    };
    for (const auto& c : cases) {
        {
            WaveOutOutput out(c.channels, header_of(c.layer, c.version));
            EXPECT_EQ(out.buffer_size(), c.bytes) << c.layer << "/" << c.version;
        }
        const WAVEFORMATEX f = wave_.devices().back().format;
        EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(f.nChannels, c.channels);
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.nAvgBytesPerSec, c.rate * c.channels * 2);
        EXPECT_EQ(f.nBlockAlign, c.channels * 2);
        EXPECT_EQ(f.wBitsPerSample, 16);
        EXPECT_TRUE(wave_.devices().back().closed);
    }
    EXPECT_TRUE(wave_.played().empty());  // nothing fed, nothing played
}

TEST_F(WaveOut, StereoInterleavesLeftFirstAndMonoFillsEveryPosition) {
    wave_.set_instant(true);
    for (int channels : {2, 1}) {
        const std::size_t before = wave_.played().size();
        {
            WaveOutOutput out(channels, header_of(2));
            out.put_sample(0, 0x1234);
            if (channels == 2) out.put_sample(1, -2);  // 0xFFFE
            out.put_sample(0, 0x5678);
            if (channels == 2) out.put_sample(1, 0x0102);
            out.frame_done(1);
        }
        const auto played = wave_.played();
        std::vector<std::uint8_t> head(played.begin() + before, played.begin() + before + 8);
        if (channels == 2) {
            EXPECT_EQ(head,
                      (std::vector<std::uint8_t>{0x34, 0x12, 0xFE, 0xFF, 0x78, 0x56, 0x02, 0x01}));
        } else {
            EXPECT_EQ(head, (std::vector<std::uint8_t>{0x34, 0x12, 0x78, 0x56, 0, 0, 0, 0}));
        }
    }
}

TEST_F(WaveOut, AShortStreamPlaysAsOnePaddedBuffer) {
    wave_.set_instant(true);
    unsigned size = 0;
    {
        WaveOutOutput out(2, header_of(2));
        size = out.buffer_size();
        feed(out, 2, 5, 1152);
        EXPECT_TRUE(wave_.played().empty());  // nothing is queued before the end
    }
    const auto played = wave_.played();
    ASSERT_EQ(played.size(), size);
    const auto pcm = expected_pcm(2, 5 * 1152);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), played.begin()));
    EXPECT_TRUE(all_zero(played, pcm.size()));
    const SemaphoreCounts counts = completion_semaphore().counts();
    EXPECT_EQ(counts.waits, 1);
    EXPECT_EQ(counts.timeouts, 0);
}

TEST_F(WaveOut, ThirtyThreeToSixtyThreeFramesPlayAsAFullAndAPaddedBuffer) {
    wave_.set_instant(true);
    for (int frames : {33, 63}) {
        const std::size_t before = wave_.played().size();
        unsigned size = 0;
        {
            WaveOutOutput out(1, header_of(1));
            size = out.buffer_size();
            feed(out, 1, frames, 384);
        }
        const auto all = wave_.played();
        const std::vector<std::uint8_t> played(all.begin() + before, all.end());
        ASSERT_EQ(played.size(), 2u * size) << frames;
        const auto pcm = expected_pcm(1, frames * 384);
        EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), played.begin())) << frames;
        EXPECT_TRUE(all_zero(played, pcm.size())) << frames;
        EXPECT_EQ(completion_semaphore().counts().waits, 2) << frames;
    }
}

TEST_F(WaveOut, EndingOnAMultipleOfThirtyTwoFramesWaitsOncePerBufferWithoutATimeout) {
    wave_.set_instant(true);
    for (int frames : {32, 64, 96, 128, 320}) {
        const std::size_t before = wave_.played().size();
        unsigned size = 0;
        {
            WaveOutOutput out(2, header_of(3));
            size = out.buffer_size();
            feed(out, 2, frames, 1152);
        }
        const SemaphoreCounts counts = completion_semaphore().counts();
        EXPECT_EQ(counts.timeouts, 0) << frames;
        EXPECT_EQ(counts.waits, frames / 32) << frames;
        EXPECT_EQ(counts.releases, frames / 32) << frames;
        const auto all = wave_.played();
        ASSERT_EQ(all.size() - before, static_cast<std::size_t>(frames / 32) * size);
        const auto pcm = expected_pcm(2, frames * 1152);
        EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), all.begin() + before)) << frames;
    }
}

TEST_F(WaveOut, TheDecoderWaitsForTheOldestBufferOnceTwoAreQueued) {
    std::atomic<int> frames_done{0};
    std::atomic<bool> finished{false};
    std::thread decoder([&] {
        WaveOutOutput out(1, header_of(1));
        for (int i = 0; i < 128; ++i) {
            feed(out, 1, 1, 384);
            frames_done = i + 1;
        }
        out.set_stopped();
        finished = true;
    });
    auto wait_frames = [&](int n) {
        for (int i = 0; i < 4000 && frames_done < n; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    wait_frames(95);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(frames_done, 95);  // the 96th frame's hand-over waits for a free buffer
    EXPECT_EQ(wave_.queued(), 3u);
    ASSERT_TRUE(wave_.complete_next());
    wait_frames(127);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(frames_done, 127);
    ASSERT_TRUE(wave_.complete_next());
    decoder.join();
    EXPECT_TRUE(finished);
    // Two buffers played; the stopped output dropped the other queued ones.
    EXPECT_EQ(wave_.played().size(), 2u * 24576u);
    EXPECT_EQ(completion_semaphore().counts().timeouts, 0);
}

TEST_F(WaveOut, AStoppedOutputDropsItsQueueWithoutWaiting) {
    {
        WaveOutOutput out(2, header_of(2));
        feed(out, 2, 70, 1152);  // two buffers queued, a third being filled
        EXPECT_EQ(wave_.queued(), 2u);
        out.set_stopped();
    }
    EXPECT_TRUE(wave_.played().empty());
    EXPECT_TRUE(wave_.devices().back().closed);
    const SemaphoreCounts counts = completion_semaphore().counts();
    EXPECT_EQ(counts.waits, 0);
    EXPECT_EQ(counts.timeouts, 0);
    EXPECT_EQ(counts.releases, 2);  // the reset returned both, each with its notice
}

TEST_F(WaveOut, AStopRequestCutsTheWaitsShortAndDropsTheRest) {
    StopSignal stop;
    std::atomic<bool> returned{false};
    std::thread decoder([&] {
        {
            WaveOutOutput out(1, header_of(1), &stop);
            feed(out, 1, 100, 384);  // blocks at frame 96: nothing completes
        }  // plays out at the natural end: that would wait, but the stop is raised
        returned = true;
    });
    for (int i = 0; i < 4000 && wave_.queued() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_FALSE(returned);
    stop.raise();
    completion_semaphore().wake_waiters();
    decoder.join();
    EXPECT_TRUE(wave_.devices().back().closed);
    EXPECT_EQ(completion_semaphore().counts().timeouts, 0);
    EXPECT_GE(completion_semaphore().counts().stopped, 1);
}

TEST_F(WaveOut, LargerFramesThanTheFirstAreKeptForTheNextBuffer) {
    wave_.set_instant(true);
    unsigned size = 0;
    int n = 0;
    {
        // Sized for layer I (384 samples a frame); then frames of 1152 samples arrive.
        WaveOutOutput out(2, header_of(1));
        size = out.buffer_size();
        feed(out, 2, 3, 384, &n);
        feed(out, 2, 40, 1152, &n);
    }
    const auto played = wave_.played();
    ASSERT_EQ(played.size() % size, 0u);
    const auto pcm = expected_pcm(2, n);
    ASSERT_GE(played.size(), pcm.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), played.begin()));
    EXPECT_TRUE(all_zero(played, pcm.size()));
    EXPECT_LT(played.size(), pcm.size() + size);
}

TEST_F(WaveOut, SmallerFramesThanTheFirstLeaveSilenceNotOldAudio) {
    wave_.set_instant(true);
    unsigned size = 0;
    {
        WaveOutOutput out(1, header_of(2));
        size = out.buffer_size();
        feed(out, 1, 96, 1152);  // every slot holds old audio now
        feed(out, 1, 28, 1152);
        feed(out, 1, 4, 384);  // the 32nd frame of this buffer is short
    }
    const auto played = wave_.played();
    ASSERT_EQ(played.size(), 4u * size);
    const std::vector<std::uint8_t> last(played.begin() + 3 * size, played.end());
    EXPECT_TRUE(all_zero(last, (28 * 1152 + 4 * 384) * 2));
}

TEST_F(WaveOut, ADeviceThatCannotOpenEndsTheProcessWithMinusOne) {
    wave_.fail_open(MMSYSERR_ALLOCATED);
    try {
        WaveOutOutput out(2, header_of(3));
        ADD_FAILURE() << "the output was created";
    } catch (const ProcessExit& e) {
        EXPECT_EQ(e.code, 0xFFFFFFFFu);
    }
    const auto boxes = win_.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open wave device.");
    EXPECT_EQ(boxes[0].caption, "Audio playback error");
    EXPECT_EQ(boxes[0].type, MB_ICONERROR);
    EXPECT_EQ(boxes[0].owner, nullptr);
}

}  // namespace
