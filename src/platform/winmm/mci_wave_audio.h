// The waveaudio MCI device: plays a RIFF wave file through the wave-out layer.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/winmm/mci_device.h"
#include "platform/winmm/wave_file.h"

class MciWaveAudio final : public MciDevice {
public:
    // Reads the file's layout; the wave-out device is opened only while playing.
    static MCIERROR open(const std::string& path, std::unique_ptr<MciDevice>* device);

    MciWaveAudio(std::string path, const WaveFileLayout& layout);
    ~MciWaveAudio() override;

    MCIERROR set_time_format(MciTimeFormat format) override;
    MCIERROR status(MciStatusItem item, std::optional<long> track, std::string* answer) override;
    MCIERROR play(const std::optional<std::string>& from, const std::optional<std::string>& to,
                  const MciNotify& notify) override;
    void wait_played() override;
    MCIERROR stop() override;
    void close() override;

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    struct Slot {
        std::vector<char> data;
        WAVEHDR hdr{};
    };

    static void CALLBACK_wave(HWAVEOUT hwo, UINT msg, DWORD_PTR instance, DWORD_PTR param1,
                              DWORD_PTR param2);
    void on_done(WAVEHDR* hdr);
    // Reads the next stretch of the file into the slot and queues it; false at the end.
    bool queue_locked(Slot& slot);
    // The piece has played: stopped, at its end, the notice posted.
    void finish_locked();
    std::uint32_t position_locked();
    MCIERROR parse_position(const std::string& text, std::uint32_t* bytes) const;
    std::string format_bytes(std::uint32_t bytes) const;
    // Resets and closes the wave-out device; posts `result` to a notify still pending.
    void halt(WPARAM result);

    const std::string path_;
    const WaveFileLayout layout_;
    MciTimeFormat format_ = MciTimeFormat::Milliseconds;

    std::mutex mutex_;  // everything below; the callback takes it on the notice thread
    std::condition_variable played_cv_;
    HWAVEOUT hwo_ = nullptr;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::array<Slot, 4> slots_;
    std::uint32_t start_ = 0;  // the byte the play began at
    std::uint32_t end_ = 0;    // the byte it ends at
    std::uint32_t next_ = 0;   // the next byte to read from the file
    int queued_ = 0;
    bool playing_ = false;
    bool halting_ = false;
    std::uint32_t rest_ = 0;  // the position while not playing
    MciNotify notify_;
};
