// The wave-out calls on the capture device: order, completion notices, reset, close, checks.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <semaphore>
#include <thread>
#include <vector>

#include "platform/winmm/wave_capture.h"

namespace {

WAVEFORMATEX pcm(WORD channels, DWORD rate, WORD bits = 16) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// What the callback heard, and on which thread.
struct Heard {
    std::mutex mutex;
    std::vector<UINT> messages;
    std::vector<WAVEHDR*> done;
    std::vector<DWORD> flags_at_done;
    std::vector<std::thread::id> threads;
    bool unprepare = false;  // unprepare each finished header, as the player's callback does
};

void CALLBACK_heard(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
    auto& heard = *reinterpret_cast<Heard*>(instance);
    auto* hdr = reinterpret_cast<WAVEHDR*>(param1);
    if (msg == WOM_DONE && heard.unprepare) {
        EXPECT_EQ(waveOutUnprepareHeader(hwo, hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    std::lock_guard lock(heard.mutex);
    heard.messages.push_back(msg);
    heard.threads.push_back(std::this_thread::get_id());
    if (msg == WOM_DONE) {
        heard.done.push_back(hdr);
        heard.flags_at_done.push_back(hdr->dwFlags);
    }
}

HWAVEOUT open_with(Heard& heard, const WAVEFORMATEX& format) {
    HWAVEOUT hwo = nullptr;
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&CALLBACK_heard),
                          reinterpret_cast<DWORD_PTR>(&heard), CALLBACK_FUNCTION | WAVE_ALLOWSYNC),
              MMSYSERR_NOERROR);
    return hwo;
}

// A buffer of `bytes` bytes that all read `value`.
struct Buffer {
    explicit Buffer(std::size_t bytes, char value) : data(bytes, value) {
        hdr.lpData = data.data();
        hdr.dwBufferLength = static_cast<DWORD>(bytes);
    }
    std::vector<char> data;
    WAVEHDR hdr{};
};

void queue(HWAVEOUT hwo, Buffer& b) {
    ASSERT_EQ(waveOutPrepareHeader(hwo, &b.hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(hwo, &b.hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
}

std::vector<std::uint8_t> bytes_of(std::initializer_list<const Buffer*> buffers) {
    std::vector<std::uint8_t> out;
    for (const Buffer* b : buffers) out.insert(out.end(), b->data.begin(), b->data.end());
    return out;
}

TEST(WaveOut, BuffersPlayInOrderWithOneNoticeEachOnTheLayersThread) {
    CaptureWave capture;
    Heard heard;
    HWAVEOUT hwo = open_with(heard, pcm(2, 8000));  // 32000 bytes a second
    ASSERT_NE(hwo, nullptr);
    Buffer a(320, 'a'), b(640, 'b'), c(320, 'c');
    queue(hwo, a);
    queue(hwo, b);
    queue(hwo, c);
    EXPECT_EQ(a.hdr.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    EXPECT_EQ(capture.queued(), 3u);

    capture.advance(15);  // 480 bytes: all of a, half of b
    {
        std::lock_guard lock(heard.mutex);
        EXPECT_EQ(heard.done, (std::vector<WAVEHDR*>{&a.hdr}));
        EXPECT_EQ(heard.flags_at_done.at(0), WHDR_PREPARED | WHDR_DONE);
    }
    EXPECT_TRUE(b.hdr.dwFlags & WHDR_INQUEUE);
    capture.advance(1000);
    EXPECT_EQ(capture.played(), bytes_of({&a, &b, &c}));
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);

    std::lock_guard lock(heard.mutex);
    EXPECT_EQ(heard.messages,
              (std::vector<UINT>{WOM_OPEN, WOM_DONE, WOM_DONE, WOM_DONE, WOM_CLOSE}));
    EXPECT_EQ(heard.done, (std::vector<WAVEHDR*>{&a.hdr, &b.hdr, &c.hdr}));
    for (auto id : heard.threads) {
        EXPECT_NE(id, std::this_thread::get_id());
        EXPECT_EQ(id, heard.threads.front());
    }
    ASSERT_EQ(capture.devices().size(), 1u);
    EXPECT_TRUE(capture.devices()[0].closed);
    EXPECT_EQ(capture.devices()[0].format.nSamplesPerSec, 8000u);
}

TEST(WaveOut, CompleteNextFinishesOneBufferAtATime) {
    CaptureWave capture;
    Heard heard;
    HWAVEOUT hwo = open_with(heard, pcm(1, 22050));
    Buffer a(1000, 'a'), empty(0, 0), b(500, 'b');
    queue(hwo, a);
    queue(hwo, empty);  // an empty buffer completes when its turn comes
    queue(hwo, b);
    EXPECT_TRUE(capture.complete_next());
    EXPECT_EQ(heard.done.size(), 2u);
    EXPECT_TRUE(capture.complete_next());
    EXPECT_FALSE(capture.complete_next());
    EXPECT_EQ(heard.done, (std::vector<WAVEHDR*>{&a.hdr, &empty.hdr, &b.hdr}));
    EXPECT_EQ(capture.played(), bytes_of({&a, &b}));
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

TEST(WaveOut, ResetReturnsEveryQueuedBufferWithItsNoticeBeforeItReturns) {
    CaptureWave capture;
    Heard heard;
    heard.unprepare = true;
    HWAVEOUT hwo = open_with(heard, pcm(2, 44100));
    Buffer a(4000, 'a'), b(4000, 'b'), c(4000, 'c');
    queue(hwo, a);
    queue(hwo, b);
    queue(hwo, c);
    capture.advance(10);  // 1764 bytes of a
    MMTIME t{TIME_BYTES, {}};
    ASSERT_EQ(waveOutGetPosition(hwo, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.cb, 1764u);

    EXPECT_EQ(waveOutClose(hwo), WAVERR_STILLPLAYING);
    ASSERT_EQ(waveOutReset(hwo), MMSYSERR_NOERROR);
    {
        std::lock_guard lock(heard.mutex);
        EXPECT_EQ(heard.done, (std::vector<WAVEHDR*>{&a.hdr, &b.hdr, &c.hdr}));
    }
    for (Buffer* x : {&a, &b, &c}) EXPECT_EQ(x->hdr.dwFlags, WHDR_DONE);  // unprepared by callback
    ASSERT_EQ(waveOutGetPosition(hwo, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.cb, 0u);

    // Nothing of the returned buffers plays after the reset.
    capture.advance(1000);
    EXPECT_EQ(capture.played().size(), 1764u);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(hwo), MMSYSERR_INVALHANDLE);
}

TEST(WaveOut, HeaderRulesAndPosition) {
    CaptureWave capture;
    Heard heard;
    HWAVEOUT hwo = open_with(heard, pcm(2, 8000));
    Buffer a(3200, 'a');
    EXPECT_EQ(waveOutWrite(hwo, &a.hdr, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    // The 32-byte size of a 32-bit program's header is accepted as well as our own.
    ASSERT_EQ(waveOutPrepareHeader(hwo, &a.hdr, kWin32WaveHdrSize), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutPrepareHeader(hwo, &a.hdr, 12), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutPrepareHeader(hwo, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    ASSERT_EQ(waveOutWrite(hwo, &a.hdr, kWin32WaveHdrSize), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(hwo, &a.hdr, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(hwo, &a.hdr, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);

    capture.advance(50);  // 1600 bytes
    MMTIME t{TIME_MS, {}};
    ASSERT_EQ(waveOutGetPosition(hwo, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, TIME_MS);
    EXPECT_EQ(t.u.ms, 50u);
    t.wType = TIME_SAMPLES;
    ASSERT_EQ(waveOutGetPosition(hwo, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.u.sample, 400u);
    t.wType = TIME_SMPTE;  // not kept: answered in bytes
    ASSERT_EQ(waveOutGetPosition(hwo, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, TIME_BYTES);
    EXPECT_EQ(t.u.cb, 1600u);

    capture.advance(50);
    EXPECT_EQ(a.hdr.dwFlags, WHDR_PREPARED | WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(hwo, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(a.hdr.dwFlags, WHDR_DONE);
    // Written again, it plays again.
    queue(hwo, a);
    EXPECT_EQ(a.hdr.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
    capture.advance(100);
    EXPECT_EQ(capture.played().size(), 6400u);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutWrite(hwo, &a.hdr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
}

TEST(WaveOut, OpenChecksItsArgumentsAndReportsADeviceThatCannotOpen) {
    CaptureWave capture;
    HWAVEOUT hwo = reinterpret_cast<HWAVEOUT>(1234);
    WAVEFORMATEX f = pcm(2, 44100);
    EXPECT_EQ(waveOutOpen(&hwo, 3, &f, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(hwo, nullptr);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &f, 0, 0, CALLBACK_WINDOW), MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &f, 0, 0, CALLBACK_FUNCTION), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &f, 0, 0, 0x100), MMSYSERR_INVALFLAG);
    for (WAVEFORMATEX bad : {pcm(3, 44100), pcm(2, 44100, 24), pcm(2, 0)}) {
        EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &bad, 0, 0, 0), WAVERR_BADFORMAT);
    }
    WAVEFORMATEX odd = f;
    odd.nBlockAlign = 3;
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &odd, 0, 0, 0), WAVERR_BADFORMAT);
    odd = f;
    odd.wFormatTag = 2;
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &odd, 0, 0, 0), WAVERR_BADFORMAT);
    // A query opens nothing.
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_EQ(capture.open_count(), 0);

    capture.fail_open(MMSYSERR_ALLOCATED);
    EXPECT_EQ(waveOutOpen(&hwo, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
    EXPECT_EQ(hwo, nullptr);
    capture.fail_open(MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutOpen(&hwo, 0, &f, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

// The player's shape: three rotating buffers, a semaphore released from the callback after
// the header is unprepared, a decoding thread that blocks on it, and the device's clock
// running on a third thread.
TEST(WaveOut, ThreeRotatingBuffersFedFromAnotherThreadPlayEveryByteInOrder) {
    CaptureWave capture;
    struct Player {
        std::counting_semaphore<1024> finished{0};
        static void CALLBACK_done(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR p1,
                                  DWORD_PTR) {
            if (msg != WOM_DONE) return;
            waveOutUnprepareHeader(hwo, reinterpret_cast<WAVEHDR*>(p1), kWin32WaveHdrSize);
            reinterpret_cast<Player*>(instance)->finished.release();
        }
    } player;
    const WAVEFORMATEX f = pcm(2, 44100);
    HWAVEOUT hwo = nullptr;
    ASSERT_EQ(
        waveOutOpen(&hwo, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&Player::CALLBACK_done),
                    reinterpret_cast<DWORD_PTR>(&player), CALLBACK_FUNCTION | WAVE_ALLOWSYNC),
        MMSYSERR_NOERROR);

    constexpr int kBuffers = 60;
    constexpr std::size_t kSize = 2048;
    std::vector<std::uint8_t> expected;
    std::atomic<bool> done{false};
    std::thread decoder([&] {
        std::vector<Buffer> slots;
        for (int i = 0; i < 3; ++i) slots.emplace_back(kSize, 0);
        int in_flight = 0;
        for (int n = 0; n < kBuffers; ++n) {
            if (in_flight == 3) {
                player.finished.acquire();
                --in_flight;
            }
            Buffer& b = slots[n % 3];
            for (std::size_t i = 0; i < kSize; ++i) b.data[i] = static_cast<char>(n * 7 + i);
            expected.insert(expected.end(), b.data.begin(), b.data.end());
            waveOutPrepareHeader(hwo, &b.hdr, kWin32WaveHdrSize);
            waveOutWrite(hwo, &b.hdr, kWin32WaveHdrSize);
            ++in_flight;
        }
        while (in_flight-- > 0) player.finished.acquire();
        done = true;
    });
    while (!done) {
        capture.advance(3);
        std::this_thread::yield();
    }
    decoder.join();
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    EXPECT_EQ(capture.played(), expected);
}

// A stop from another thread while the decoding thread waits: reset returns the queue and
// releases the waiter; close then succeeds at once.
TEST(WaveOut, ResetFromAnotherThreadReleasesAWaitingProducer) {
    CaptureWave capture;
    Heard heard;
    heard.unprepare = true;
    HWAVEOUT hwo = open_with(heard, pcm(1, 16000));
    std::vector<Buffer> buffers;
    for (int i = 0; i < 8; ++i) buffers.emplace_back(1000, static_cast<char>(i));
    std::thread writer([&] {
        for (Buffer& b : buffers) queue(hwo, b);
    });
    std::thread clock([&] {
        for (int i = 0; i < 20; ++i) capture.advance(5);
    });
    writer.join();
    clock.join();
    ASSERT_EQ(waveOutReset(hwo), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    std::lock_guard lock(heard.mutex);
    EXPECT_EQ(heard.done.size(), 8u);
    for (std::size_t i = 0; i < heard.done.size(); ++i) EXPECT_EQ(heard.done[i], &buffers[i].hdr);
    EXPECT_EQ(heard.messages.back(), WOM_CLOSE);
}

TEST(WaveOut, InstantDevicePlaysEachBufferAsItIsWrittenAndCloseInsideTheCallbackIsRefused) {
    CaptureWave capture;
    capture.set_instant(true);
    struct Probe {
        std::atomic<MMRESULT> close_result{MMSYSERR_NOERROR};
        std::atomic<int> done{0};
        static void CALLBACK_probe(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR,
                                   DWORD_PTR) {
            auto& p = *reinterpret_cast<Probe*>(instance);
            if (msg != WOM_DONE) return;
            p.close_result = waveOutClose(hwo);
            ++p.done;
        }
    } probe;
    const WAVEFORMATEX f = pcm(2, 48000);
    HWAVEOUT hwo = nullptr;
    ASSERT_EQ(
        waveOutOpen(&hwo, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&Probe::CALLBACK_probe),
                    reinterpret_cast<DWORD_PTR>(&probe), CALLBACK_FUNCTION),
        MMSYSERR_NOERROR);
    Buffer a(100000, 'x');
    queue(hwo, a);
    EXPECT_EQ(capture.played().size(), 100000u);
    while (probe.done == 0) std::this_thread::yield();
    EXPECT_EQ(probe.close_result, MMSYSERR_HANDLEBUSY);
    EXPECT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
}

}  // namespace
