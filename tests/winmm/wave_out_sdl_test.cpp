// The real wave-out backend on SDL's disk driver, which writes exactly what is played to a file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

#include "platform/winmm/wave_out.h"

namespace {

WAVEFORMATEX stereo16(DWORD rate) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = rate * 4;
    return f;
}

std::counting_semaphore<1024> g_done{0};

void CALLBACK_done(HWAVEOUT hwo, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR) {
    if (msg != WOM_DONE) return;
    waveOutUnprepareHeader(hwo, reinterpret_cast<WAVEHDR*>(p1), sizeof(WAVEHDR));
    g_done.release();
}

HWAVEOUT open_device(const WAVEFORMATEX& f, MMRESULT expected = MMSYSERR_NOERROR) {
    HWAVEOUT hwo = nullptr;
    EXPECT_EQ(waveOutOpen(&hwo, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&CALLBACK_done), 0,
                          CALLBACK_FUNCTION | WAVE_ALLOWSYNC),
              expected);
    return hwo;
}

// Plays buffers of the given sizes (each byte numbered from `first`) and waits for them all.
std::vector<char> play(HWAVEOUT hwo, std::vector<std::size_t> sizes, int first) {
    std::vector<std::vector<char>> data;
    std::vector<WAVEHDR> hdrs(sizes.size());
    std::vector<char> all;
    int n = first;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        data.emplace_back(sizes[i]);
        for (char& c : data.back()) c = static_cast<char>(n++ * 13);
        all.insert(all.end(), data.back().begin(), data.back().end());
        hdrs[i].lpData = data.back().data();
        hdrs[i].dwBufferLength = static_cast<DWORD>(sizes[i]);
    }
    for (WAVEHDR& h : hdrs) {
        waveOutPrepareHeader(hwo, &h, sizeof h);
        waveOutWrite(hwo, &h, sizeof h);
    }
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        EXPECT_TRUE(g_done.try_acquire_for(std::chrono::seconds(10)));
    }
    return all;
}

// The recording, named for this process so that test runs side by side do not share it.
std::string use_disk_driver(const char* name) {
    std::string file = testing::TempDir() + std::to_string(getpid()) + "-" + name;
    std::remove(file.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    return file;
}

std::vector<char> read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(WaveOutSdl, TwoPiecesInOneFormatArriveInOneRecordingWithNothingBetween) {
    const std::string file = use_disk_driver("lumivex_wave_two_pieces.raw");
    HWAVEOUT hwo = open_device(stereo16(44100));
    ASSERT_NE(hwo, nullptr);
    // The first piece ends on a chunk's edge, as the player's MPEG buffers do: the next piece
    // then follows however long it takes to come.
    std::vector<char> expected = play(hwo, {10000, 7000, 15768}, 0);
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    hwo = open_device(stereo16(44100));
    ASSERT_NE(hwo, nullptr);
    std::vector<char> second = play(hwo, {5000, 3000}, 99);
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);

    // Unused, the output is closed soon after, and the driver's file is complete: whole chunks
    // of 1024 frames, first the silence SDL writes while a new device is still paused, then
    // every byte played, then silence (the end of the last chunk, and what SDL writes while it
    // closes the device).
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::vector<char> recorded = read_file(file);
    constexpr std::size_t kChunk = 4096;
    ASSERT_EQ(recorded.size() % kChunk, 0u);
    std::size_t lead = 0;
    while (lead < recorded.size() &&
           std::all_of(recorded.begin() + lead, recorded.begin() + lead + kChunk,
                       [](char c) { return c == 0; })) {
        lead += kChunk;
    }
    ASSERT_GE(recorded.size(), lead + expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), recorded.begin() + lead));
    for (std::size_t i = lead + expected.size(); i < recorded.size(); ++i) {
        ASSERT_EQ(recorded[i], 0) << i;
    }
    std::remove(file.c_str());
}

TEST(WaveOutSdl, APieceEndingInsideAChunkIsPlayedOutWithoutWaitingForMore) {
    const std::string file = use_disk_driver("lumivex_wave_tail.raw");
    HWAVEOUT hwo = open_device(stereo16(44100));
    ASSERT_NE(hwo, nullptr);
    // 7 chunks and 672 bytes; nothing more is written for a long while.
    const std::vector<char> first = play(hwo, {10000, 7000, 12344}, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const std::vector<char> second = play(hwo, {5000, 3000}, 99);
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);

    // The first piece's last chunk went out with its tail silent; the second piece, written
    // later, begins a chunk of its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const std::vector<char> recorded = read_file(file);
    constexpr std::size_t kChunk = 4096;
    const auto at = std::search(recorded.begin(), recorded.end(), first.begin(), first.end());
    ASSERT_NE(at, recorded.end()) << "the first piece was not played whole";
    const auto tail = at + static_cast<std::ptrdiff_t>(first.size());
    const auto next = std::search(tail, recorded.end(), second.begin(), second.end());
    ASSERT_NE(next, recorded.end()) << "the second piece was not played whole";
    EXPECT_TRUE(std::all_of(tail, next, [](char c) { return c == 0; }));
    EXPECT_EQ(next - tail, static_cast<std::ptrdiff_t>(kChunk - first.size() % kChunk));
    std::remove(file.c_str());
}

TEST(WaveOutSdl, ResetAndCloseDoNotWaitForAnIdleAudioThread) {
    const std::string file = use_disk_driver("lumivex_wave_reset.raw");
    HWAVEOUT hwo = open_device(stereo16(22050));
    ASSERT_NE(hwo, nullptr);
    play(hwo, {1000}, 0);  // less than a chunk: the audio thread now waits for more
    std::vector<char> data(3000, 1);
    WAVEHDR hdr{};
    hdr.lpData = data.data();
    hdr.dwBufferLength = 3000;
    // Written and reset at once, from this thread, while the audio thread may be inside its
    // callback.
    for (int i = 0; i < 50; ++i) {
        waveOutPrepareHeader(hwo, &hdr, sizeof hdr);
        waveOutWrite(hwo, &hdr, sizeof hdr);
        ASSERT_EQ(waveOutReset(hwo), MMSYSERR_NOERROR);
        EXPECT_TRUE(hdr.dwFlags & WHDR_DONE);
        while (g_done.try_acquire()) {
        }
    }
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    // A different format closes the parked output and opens a new one.
    hwo = open_device(stereo16(48000));
    ASSERT_NE(hwo, nullptr);
    ASSERT_EQ(waveOutClose(hwo), MMSYSERR_NOERROR);
    std::remove(file.c_str());
}

TEST(WaveOutSdl, AnAudioSystemThatCannotOpenFailsTheOpen) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    HWAVEOUT hwo = open_device(stereo16(44100), MMSYSERR_NODRIVER);
    EXPECT_EQ(hwo, nullptr);
}

TEST(WaveOutSdl, ADeviceThatCannotOpenFailsTheOpen) {
    use_disk_driver("lumivex_wave_unused.raw");
    setenv("SDL_DISKAUDIOFILE", "/nonexistent-folder/out.raw", 1);
    HWAVEOUT hwo = open_device(stereo16(44100), MMSYSERR_ALLOCATED);
    EXPECT_EQ(hwo, nullptr);
}

}  // namespace
