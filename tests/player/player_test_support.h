// Helpers of the player tests: short MPEG files, playlists in a temporary folder, waiting for
// the player's threads, a wave-out backend that plays at once and keeps nothing.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/winmm/wave_out_backend.h"
#include "player/player_controller.h"
#include "player/player_lock.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"

namespace player_test {

using Bytes = std::vector<std::uint8_t>;

// One silent MPEG-1 frame: every allocation zero. Layer II at 48 kHz and 64 kbit/s (192
// bytes) or layer I at 48 kHz and 32 kbit/s (32 bytes), stereo or single channel.
inline Bytes silent_frame(int layer, bool mono) {
    const std::uint8_t layer_bits = layer == 1 ? 0x3 : 0x2;
    Bytes f(layer == 1 ? 32 : 192, 0);
    f[0] = 0xFF;
    f[1] = static_cast<std::uint8_t>(0xF0 | 0x08 | (layer_bits << 1) | 0x01);  // no CRC
    f[2] = static_cast<std::uint8_t>(((layer == 1 ? 1 : 4) << 4) | (1 << 2));  // 48 kHz
    f[3] = static_cast<std::uint8_t>(mono ? 0xC0 : 0x00);
    return f;
}

inline Bytes silent_stream(int frames, int layer = 2, bool mono = false) {
    Bytes out;
    const Bytes f = silent_frame(layer, mono);
    for (int i = 0; i < frames; ++i) out.insert(out.end(), f.begin(), f.end());
    return out;
}

// A folder of its own under the temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("lumivex-player-" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
                 std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string write(const std::string& name, const Bytes& bytes) const {
        const auto p = path_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream f(p, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::string write_text(const std::string& name, const std::string& text) const {
        return write(name, Bytes(text.begin(), text.end()));
    }
    // A playlist file of full paths, one a line.
    std::string playlist(const std::string& name, const std::vector<std::string>& paths) const {
        std::string text;
        for (const auto& p : paths) text += p + "\n";
        return write_text(name, text);
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Waits up to `seconds` for the condition, checked under the player lock.
inline bool wait_for_player(const std::function<bool(const PlayerState&)>& done,
                            double seconds = 20.0) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        {
            PlayerLock lock;
            if (done(player_state())) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

// Nothing plays and nothing is open: what the player looks like once a list has run out.
inline bool silent(const PlayerState& s) {
    return !s.decodingThread.running() && !s.mciThread.running() && !s.decodeJob.mutex &&
           !s.mciJob.mutex;
}

// A wave-out backend of unlimited speed that keeps nothing: each buffer completes as it is
// written. For tests that run many pieces.
class DiscardingWave final : public WaveBackend {
public:
    DiscardingWave() { install_wave_backend(this); }
    ~DiscardingWave() override { install_wave_backend(nullptr); }
    DiscardingWave(const DiscardingWave&) = delete;
    DiscardingWave& operator=(const DiscardingWave&) = delete;

    MMRESULT open_stream(const WAVEFORMATEX&, const std::shared_ptr<WaveSource>& source,
                         std::unique_ptr<WaveStream>* stream) override {
        opens.fetch_add(1);
        *stream = std::make_unique<Stream>(source.get(), &bytes);
        return MMSYSERR_NOERROR;
    }

    std::atomic<int> opens{0};
    std::atomic<std::uint64_t> bytes{0};

private:
    class Stream final : public WaveStream {
    public:
        Stream(WaveSource* source, std::atomic<std::uint64_t>* bytes)
            : source_(source), bytes_(bytes) {}
        void data_ready() override {
            std::vector<std::uint8_t> sink(1 << 16);
            while (std::size_t n = source_->pull(sink)) bytes_->fetch_add(n);
        }

    private:
        WaveSource* source_;  // valid until this stream is destroyed
        std::atomic<std::uint64_t>* bytes_;
    };
};

// Every test starts from a new process's player and lists, and leaves nothing running.
class PlayerTest : public testing::Test {
protected:
    void SetUp() override {
        reset_player_state();
        reset_global_lists();
    }
    void TearDown() override {
        reset_player_state();
        reset_global_lists();
    }
};

}  // namespace player_test
