// MCI playback through the controller: the command strings for CD tracks and media files, the
// end of a CD track by time and by a change of track, CD track names and positions.
#include "player/mci_playback.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win/win_scripted.h"
#include "platform/winmm/cd_simulated.h"
#include "platform/winmm/mci_command_log.h"
#include "platform/winmm/wave_capture.h"
#include "player_test_support.h"

namespace {

using namespace player_test;

LRESULT plain_window_proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

// Ten tracks; track 3 lasts 180000 ms, track 10 240000 ms.
std::vector<DWORD> ten_tracks() {
    std::vector<DWORD> ms;
    for (int t = 1; t <= 10; ++t) ms.push_back(200000 + 1000 * t);
    ms[2] = 180000;
    ms[9] = 240000;
    return ms;
}

// The commands in order, with runs of the same command (the position polls) kept once.
std::vector<std::string> distinct_runs(const std::vector<std::string>& commands) {
    std::vector<std::string> out;
    for (const auto& c : commands) {
        if (out.empty() || out.back() != c) out.push_back(c);
    }
    return out;
}

// A 16-bit mono RIFF wave file of `samples` samples at 8000 Hz.
Bytes wave_file(int samples) {
    Bytes out;
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(t[i]));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(samples) * 2;
    tag("RIFF");
    put32(36 + data);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(8000);
    put32(16000);
    put16(2);
    put16(16);
    tag("data");
    put32(data);
    for (int i = 0; i < samples; ++i) put16(static_cast<std::uint16_t>(i * 37));
    return out;
}

class MciPlayback : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        mciSendStringA("close all", nullptr, 0, nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = plain_window_proc;
        wc.lpszClassName = "PlayerTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "PlayerTestWindow", "T", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10,
                                  nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        PlayerTest::TearDown();
        mciSendStringA("close all", nullptr, 0, nullptr);
    }

    // Waits for the MCI thread's broadcast; true when it came.
    bool notice(double seconds = 3.0) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        MSG msg;
        while (std::chrono::steady_clock::now() < until) {
            if (PeekMessageA(&msg, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
                EXPECT_EQ(msg.hwnd, window_);
                EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
                EXPECT_EQ(msg.lParam, 0);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // The MCI thread sends its play command on its own: wait for it.
    static bool wait_for_play(const MciCommandLog& log) {
        for (int i = 0; i < 3000; ++i) {
            for (const auto& c : log.commands()) {
                if (c.rfind("play ", 0) == 0) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // The saver window's answer to the notice.
    void stop_and_advance() {
        stop_playback();
        advance(player_state().repeat != 0);
    }

    ScriptedWin win_;
    SimulatedDisc disc_{ten_tracks()};
    TempDir dir_;
    HWND window_ = nullptr;
};

TEST_F(MciPlayback, TrackThreeOfTenPlaysToTrackFourAndEndsByTime) {
    MciCommandLog log;
    start_music("D:\\Track03.cda");
    EXPECT_TRUE(player_state().mciThread.running());
    EXPECT_TRUE(player_state().mciJob.isCdTrack);
    EXPECT_FALSE(player_state().mciJob.isLastTrack);
    EXPECT_EQ(player_state().mciJob.length, 180000);
    ASSERT_TRUE(wait_for_play(log));

    // 179933 ms into the track (03:02:59:70) with a margin of 100 ms: the end.
    disc_.advance(179000);
    EXPECT_FALSE(notice(0.3));
    disc_.advance(934);
    ASSERT_TRUE(notice());
    stop_and_advance();
    EXPECT_EQ(
        distinct_runs(log.commands()),
        (std::vector<std::string>{
            "close sounder wait",  // the stop before every open
            "open cdaudio alias sounder shareable wait", "status sounder number of tracks wait",
            "set sounder time format ms wait", "status sounder length track 3 wait",
            "set sounder time format tmsf", "play sounder from 3 to 4 notify",
            "status sounder position wait", "stop sounder", "close sounder wait"}));
    EXPECT_FALSE(disc_.playing());
    EXPECT_TRUE(silent(player_state()));
    EXPECT_TRUE(win_.message_boxes().empty());
}

TEST_F(MciPlayback, TheLastTrackPlaysToTheEndOfTheDiscWithAWiderMargin) {
    MciCommandLog log;
    start_music("/media/cdrom/TRACK10.CDA");
    EXPECT_TRUE(player_state().mciJob.isLastTrack);
    ASSERT_TRUE(wait_for_play(log));
    disc_.advance(240000 - 250);
    EXPECT_FALSE(notice(0.3));
    disc_.advance(60);  // 190 ms before the end
    ASSERT_TRUE(notice());
    stop_and_advance();
    const auto commands = distinct_runs(log.commands());
    ASSERT_GE(commands.size(), 7u);
    EXPECT_EQ(commands[4], "status sounder length track 10 wait");
    EXPECT_EQ(commands[6], "play sounder from 10 notify");
}

TEST_F(MciPlayback, LeavingTheTrackEndsItWhateverTheTime) {
    MciCommandLog log;
    start_music("Track05.cda");
    ASSERT_TRUE(wait_for_play(log));
    EXPECT_FALSE(notice(0.1));
    disc_.seek(disc_.track_start(6));
    ASSERT_TRUE(notice());
    stop_and_advance();
    EXPECT_FALSE(disc_.playing());
}

TEST_F(MciPlayback, AStopEndsTheThreadWithinItsPollSleep) {
    MciCommandLog log;
    start_music("Track2.cda");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop_playback();
    EXPECT_FALSE(player_state().mciThread.running());
    const auto commands = log.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[commands.size() - 2], "stop sounder wait");
    EXPECT_EQ(commands.back(), "close sounder wait");
    EXPECT_FALSE(notice(0.2));
}

TEST_F(MciPlayback, APathWithSpacesIsQuotedAndPlays) {
    CaptureWave wave;
    wave.set_instant(true);
    MciCommandLog log;
    const std::string path = dir_.write("my music/a tone.wav", wave_file(800));
    start_music(path);
    EXPECT_TRUE(player_state().mciThread.running());
    ASSERT_TRUE(wait_for_play(log));
    const auto commands = log.commands();
    ASSERT_GE(commands.size(), 5u);
    EXPECT_EQ(commands[1], "open \"" + path + "\" alias sounder wait");
    EXPECT_EQ(commands[2], "set sounder time format ms wait");
    EXPECT_EQ(commands[3], "status sounder length wait");
    EXPECT_EQ(log.records()[3].answer, "100");
    EXPECT_EQ(commands[4], "play sounder notify");
    // Played to its end, the piece is announced like a CD track, so the playlist goes on.
    EXPECT_TRUE(notice());
    reset_player();
    EXPECT_TRUE(win_.message_boxes().empty());
    EXPECT_EQ(wave.played().size(), 1600u);
}

TEST_F(MciPlayback, MediaMciCannotPlayAreShownAndDropped) {
    MciCommandLog log;
    const std::string midi = dir_.write_text("tune.mid", "MThd");
    const std::string good = dir_.write("a.mp2", silent_stream(2));
    CaptureWave wave;
    wave.set_instant(true);
    start_music(dir_.playlist("mixed.m3u", {midi, good}));
    ASSERT_TRUE(
        wait_for_player([](const PlayerState& s) { return silent(s) && playbackList.count == 0; }));
    ASSERT_EQ(win_.message_boxes().size(), 1u);
    EXPECT_EQ(win_.message_boxes()[0].caption, "Error opening multimedia file");
    const auto records = log.records();
    const auto open = std::find_if(records.begin(), records.end(),
                                   [](const auto& r) { return r.command.rfind("open ", 0) == 0; });
    ASSERT_NE(open, records.end());
    EXPECT_EQ(open->result, MCIERR_CANNOT_LOAD_DRIVER);
    char text[MAXERRORLENGTH];
    mciGetErrorStringA(open->result, text, sizeof text);
    EXPECT_EQ(win_.message_boxes()[0].text, text);
    EXPECT_EQ(wave.open_count(), 1);
}

TEST_F(MciPlayback, AFailingCdOpenIsReportedWithItsStepsCaption) {
    disc_.eject();
    start_music("Track01.cda");
    ASSERT_EQ(win_.message_boxes().size(), 1u);
    EXPECT_EQ(win_.message_boxes()[0].caption, "Error getting number of CD tracks");
    EXPECT_TRUE(silent(player_state()));
}

TEST(CdTrackName, TheNumberAfterTheKWithoutLeadingZeros) {
    const struct {
        const char* name;
        const char* text;
        const char* next;
        int track;
    } cases[] = {
        {"Track01.cda", "1", "2", 1},
        {"Track1.cda", "1", "2", 1},
        {"Track12.cda", "12", "13", 12},
        {"Track10.cda", "10", "11", 10},
        {"D:\\TRACK05.CDA", "5", "6", 5},
        {"/media/cd/Track007.cda", "7", "8", 7},
        {"05.cda", "5", "6", 5},
        {"13.cda", "3", "4", 3},  // the first is skipped
        {"Track.cda", "", "1", 0},
        {"Track00.cda", "", "1", 0},
        {"x.cda", "", "1", 0},
        {"cda", "", "1", 0},
        {"Track123456789.cda", "1234567", "1234568", 1234567},
    };
    for (const auto& c : cases) {
        const CdTrackName t = cd_track_from_name(c.name);
        EXPECT_EQ(t.trackText, c.text) << c.name;
        EXPECT_EQ(t.nextTrackText, c.next) << c.name;
        EXPECT_EQ(t.track, c.track) << c.name;
    }
}

TEST(CdPosition, MinutesSecondsAndFramesOfTheSameTrackElseTheLength) {
    EXPECT_EQ(cd_position_ms("03:02:59:70", "3", 180000), 179933);
    EXPECT_EQ(cd_position_ms("03:00:00:00", "3", 180000), 0);
    EXPECT_EQ(cd_position_ms("04:00:00:00", "3", 180000), 180000);
    EXPECT_EQ(cd_position_ms("05:01:02:03", "5", 9), 62040);
    EXPECT_EQ(cd_position_ms("10:00:01:74", "10", 5000), 1986);
    EXPECT_EQ(cd_position_ms("", "3", 77), 77);
    EXPECT_EQ(cd_position_ms("3", "3", 77), 0);
}

}  // namespace
