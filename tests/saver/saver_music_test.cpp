// The saver window's music rows: the start in Run mode, the stop and rewind on focus loss and
// on destroy, MM_MCINOTIFY moving the playlist on, and the hack's music (full screen only).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/glide/glide.h"
#include "platform/win/win_scripted.h"
#include "platform/winmm/wave_capture.h"
#include "player/player_controller.h"
#include "player/player_lock.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"
#include "saver/hack_mode.h"
#include "saver/saver_mode.h"
#include "saver/saver_settings.h"
#include "saver/saver_window.h"

namespace {

// A file of silent MPEG-1 layer II frames (48 kHz, 64 kbit/s, stereo).
std::string write_silent_mpeg(const std::filesystem::path& path, int frames) {
    std::vector<char> frame(192, 0);
    frame[0] = static_cast<char>(0xFF);
    frame[1] = static_cast<char>(0xFD);
    frame[2] = static_cast<char>(0x44);
    std::ofstream f(path, std::ios::binary);
    for (int i = 0; i < frames; ++i)
        f.write(frame.data(), static_cast<std::streamsize>(frame.size()));
    return path.string();
}

class SaverMusic : public testing::Test {
protected:
    void SetUp() override {
        reset_player_state();
        reset_global_lists();
        dir_ = std::filesystem::temp_directory_path() /
               ("lumivex-saver-music-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(dir_);
        // 100 frames: with a device that plays nothing, the decoder waits at frame 96.
        a_ = write_silent_mpeg(dir_ / "a.mp2", 100);
        b_ = write_silent_mpeg(dir_ / "b.mp2", 100);
        list_ = (dir_ / "list.m3u").string();
        std::ofstream(list_) << a_ << "\n" << b_ << "\n";

        set_saver_mode(SaverMode::Run);
        settings_.read_system_values();
        set_saver_settings(&settings_);
        player_state().playlistPath = list_;
    }

    void TearDown() override {
        reset_player_state();
        reset_global_lists();
        grGlideShutdown();
        set_saver_settings(nullptr);
        set_saver_mode(SaverMode::None);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    bool playing() {
        PlayerLock lock;
        return player_state().decodingThread.running() && player_state().started;
    }
    std::string current() {
        PlayerLock lock;
        return player_state().currentEntry;
    }

    ScriptedWin win_;
    CaptureWave wave_;
    SaverSettings settings_;
    std::filesystem::path dir_;
    std::string a_, b_, list_;
};

TEST_F(SaverMusic, RunModeStartsTheConfiguredPlaylistOnlyWhenMusicIsOn) {
    settings_.playMusic = 0;
    ASSERT_NE(start_saver(nullptr), nullptr);
    EXPECT_FALSE(playing());
    EXPECT_EQ(wave_.open_count(), 0);

    TearDown();
    SetUp();
    settings_.playMusic = 1;
    ASSERT_NE(start_saver(nullptr), nullptr);
    EXPECT_TRUE(playing());
    EXPECT_EQ(current(), a_);
    EXPECT_TRUE(player_state().listActive);
}

TEST_F(SaverMusic, FocusLossStopsAndRewindsTheMusicWhenItIsOn) {
    settings_.playMusic = 1;
    HWND hwnd = start_saver(nullptr);
    ASSERT_TRUE(playing());
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(player_state().decodingThread.running());
    EXPECT_TRUE(player_state().ready);  // open again, silent, from its start
    EXPECT_FALSE(player_state().started);
    EXPECT_EQ(current(), a_);
    EXPECT_TRUE(wave_.played().empty());
    // Repeating it is harmless.
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(player_state().ready);

    // With the option off the player is left alone.
    settings_.playMusic = 0;
    play();
    ASSERT_TRUE(playing());
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_TRUE(playing());
}

TEST_F(SaverMusic, DestroyStopsTheMusicThenEndsTheProcess) {
    settings_.playMusic = 1;
    HWND hwnd = start_saver(nullptr);
    ASSERT_TRUE(playing());
    try {
        DestroyWindow(hwnd);
        ADD_FAILURE() << "the process did not end";
    } catch (const ProcessExit& e) {
        EXPECT_EQ(e.code, 0u);
    }
    EXPECT_FALSE(player_state().decodingThread.running());
    EXPECT_FALSE(player_state().started);
}

TEST_F(SaverMusic, McinotifyStopsAndAdvancesWithTheRepeatFlag) {
    settings_.playMusic = 1;
    HWND hwnd = start_saver(nullptr);
    ASSERT_EQ(current(), a_);
    player_state().repeat = 1;
    EXPECT_EQ(SendMessageA(hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0), 0);
    EXPECT_EQ(current(), b_);
    EXPECT_TRUE(playing());
    EXPECT_EQ(SendMessageA(hwnd, MM_MCINOTIFY, MCI_NOTIFY_ABORTED, 0), 0);  // any wParam
    EXPECT_EQ(current(), a_);                                               // wrapped
    player_state().repeat = 0;
    SendMessageA(hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
    EXPECT_EQ(current(), b_);
    SendMessageA(hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
    EXPECT_FALSE(player_state().decodingThread.running());
    EXPECT_EQ(playbackList.count, 0);  // the end without repeat: silence
    EXPECT_EQ(wave_.open_count(), 4);
    EXPECT_TRUE(wave_.played().empty());
}

TEST_F(SaverMusic, AWaveDeviceThatCannotOpenSilencesTheMusicAndTheSaverGoesOn) {
    settings_.playMusic = 1;
    wave_.fail_open(MMSYSERR_ALLOCATED);
    HWND hwnd = start_saver(nullptr);
    ASSERT_NE(hwnd, nullptr);
    for (int i = 0; i < 2000 && win_.message_boxes().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The focus loss joins the decoding thread: it has ended without ending the process.
    SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(player_state().decodingThread.running());
    const auto boxes = win_.message_boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open wave device.");
    EXPECT_EQ(current(), a_);  // no hand-over: the music is silent, not moved on
    EXPECT_TRUE(wave_.played().empty());
    pump_messages();
}

int g_hack_frames = 0;
bool g_hack_music_played = false;

// Ends the hack after a few frames, noting whether the music played meanwhile.
bool end_after_three_frames() {
    if (g_hack_frames == 2) {
        PlayerLock lock;
        g_hack_music_played = player_state().decodingThread.running() && player_state().started;
    }
    return ++g_hack_frames > 3;
}

TEST_F(SaverMusic, TheHackPlaysOnlyFullScreenAndItsEndStopsTheMusic) {
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);  // no stored settings: --music asks for it
    HackOptions preview;
    preview.window = 0x400a77;
    preview.music = true;
    g_hack_frames = 0;
    EXPECT_EQ(run_hack(preview, end_after_three_frames), 0);
    EXPECT_FALSE(g_hack_music_played);
    EXPECT_EQ(wave_.open_count(), 0);

    HackOptions root = preview;
    root.root = true;
    g_hack_frames = 0;
    EXPECT_EQ(run_hack(root, end_after_three_frames), 0);
    EXPECT_TRUE(g_hack_music_played);
    EXPECT_FALSE(player_state().decodingThread.running());
    EXPECT_FALSE(player_state().started);
}

}  // namespace
