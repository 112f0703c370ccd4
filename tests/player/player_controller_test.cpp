// The player controller: classification, single files and lists, repeat, failing entries,
// rewinding and the guards of play, with MPEG files played on the capture device.
#include "player/player_controller.h"

#include <gtest/gtest.h>

#include "platform/win/win_scripted.h"
#include "platform/winmm/mci_command_log.h"
#include "platform/winmm/wave_capture.h"
#include "player/media_kind.h"
#include "player_test_support.h"

namespace {

using namespace player_test;

// Stereo layer II at 48 kHz: 32 frames fill one buffer of 147456 bytes.
constexpr std::size_t kStereoBuffer = 32 * 1152 * 4;

class Controller : public PlayerTest {
protected:
    std::vector<std::string> box_texts() const {
        std::vector<std::string> out;
        for (const auto& b : win_.message_boxes()) out.push_back(b.text);
        return out;
    }
    std::vector<int> channels_played() const {
        std::vector<int> out;
        for (const auto& d : wave_.devices()) out.push_back(d.format.nChannels);
        return out;
    }

    ScriptedWin win_;
    CaptureWave wave_;
    TempDir dir_;
};

TEST(MediaKind, MciSuffixesAnyCaseWithOrWithoutADot) {
    for (const char* name :
         {"a.qt", "b.MOV", "c.au", "TRACK02.CDA", "d.wav", "e.Mid", "f.rmi", "g.aif", "h.AIFF",
          "i.avi", "j.dat", "k.mpg", "l.mpv", "m.mpeg", "nodotwav", "x.qt"}) {
        EXPECT_TRUE(is_mci_media(name)) << name;
    }
    for (const char* name : {"a.mp3", "b.MP2", "c.mpa", "noextension", "", "d.ogg", "e.wave"}) {
        EXPECT_FALSE(is_mci_media(name)) << name;
    }
    EXPECT_TRUE(is_cd_track("TRACK02.CDA"));
    EXPECT_TRUE(is_cd_track("track2.cda"));
    EXPECT_FALSE(is_cd_track("a.wav"));
    EXPECT_FALSE(is_cd_track("da"));
}

TEST_F(Controller, EntriesGoToTheDecoderOrToMciByTheirNames) {
    MciCommandLog log;
    const std::string mp3 = dir_.write("song.mp3", silent_stream(4));
    player_state().currentEntry = mp3;
    EXPECT_TRUE(prepare_selection());
    EXPECT_EQ(player_state().jobKind, JobKind::Mpeg);
    EXPECT_TRUE(player_state().ready);
    EXPECT_FALSE(player_state().started);
    // A new process's job is MCI's, so the stop before the open closes the alias.
    EXPECT_EQ(log.commands(), (std::vector<std::string>{"close sounder wait"}));
    log.clear();

    // A name without an extension is MPEG too; a .wav (missing here) goes to MCI.
    const std::string bare = dir_.write("noextension", silent_stream(4));
    player_state().currentEntry = bare;
    EXPECT_TRUE(prepare_selection());
    EXPECT_EQ(player_state().jobKind, JobKind::Mpeg);
    EXPECT_TRUE(log.commands().empty());
    player_state().currentEntry = dir_.path("missing.WAV");
    EXPECT_FALSE(prepare_selection());
    ASSERT_FALSE(log.commands().empty());
    EXPECT_EQ(log.commands()[0], "open \"" + dir_.path("missing.WAV") + "\" alias sounder wait");
    ASSERT_FALSE(win_.message_boxes().empty());
    EXPECT_EQ(win_.message_boxes().back().caption, "Error opening multimedia file");
    EXPECT_EQ(win_.message_boxes().back().type, MB_ICONWARNING);
    // The failed open was reset: the device under the alias is closed, nothing is ready.
    EXPECT_EQ(log.commands().back(), "close sounder wait");
    EXPECT_FALSE(player_state().ready);
    EXPECT_EQ(player_state().currentEntry, "");
}

TEST_F(Controller, ASingleFilePlaysOnceEvenWithRepeat) {
    wave_.set_instant(true);
    player_state().repeat = 1;
    const std::string file = dir_.write("one.mp2", silent_stream(10));
    start_music(file);
    ASSERT_TRUE(wait_for_player(silent));
    EXPECT_EQ(wave_.open_count(), 1);
    EXPECT_EQ(wave_.played().size(), kStereoBuffer);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(wave_.open_count(), 1);
    EXPECT_FALSE(player_state().listActive);
    EXPECT_TRUE(win_.message_boxes().empty());
}

TEST_F(Controller, WithoutRepeatTheListPlaysOnceThenFallsSilentAndEmpty) {
    wave_.set_instant(true);
    const std::string a = dir_.write("a.mp2", silent_stream(10));
    const std::string b = dir_.write("b.mp2", silent_stream(40, 2, true));
    start_music(dir_.playlist("list.m3u", {a, b}));
    ASSERT_TRUE(
        wait_for_player([](const PlayerState& s) { return silent(s) && playbackList.count == 0; }));
    EXPECT_EQ(channels_played(), (std::vector<int>{2, 1}));
    EXPECT_EQ(wave_.played().size(), kStereoBuffer + 2 * kStereoBuffer / 2);
    EXPECT_TRUE(player_state().listActive);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(wave_.open_count(), 2);
}

TEST_F(Controller, WithRepeatTheFirstEntryFollowsTheLast) {
    wave_.set_instant(true);
    player_state().repeat = 1;
    const std::string a = dir_.write("a.mp2", silent_stream(3));
    const std::string b = dir_.write("b.mp2", silent_stream(3, 2, true));
    start_music(dir_.playlist("list.txt", {a, b}));
    ASSERT_TRUE(wait_for_player([&](const PlayerState&) { return wave_.open_count() >= 5; }));
    reset_player();
    EXPECT_TRUE(silent(player_state()));
    const auto channels = channels_played();
    ASSERT_GE(channels.size(), 5u);
    for (std::size_t i = 0; i < channels.size(); ++i) EXPECT_EQ(channels[i], i % 2 ? 1 : 2) << i;
    for (const auto& d : wave_.devices()) EXPECT_TRUE(d.closed);
}

TEST_F(Controller, FailingEntriesAreDroppedWithEveryCopyOfTheirPathAndPlayGoesOn) {
    wave_.set_instant(true);
    const std::string good = dir_.write("good.mp2", silent_stream(4));
    const std::string bad = dir_.write_text("bad.mp3", "this is not MPEG audio\n");
    const std::string good2 = dir_.write("good2.mp2", silent_stream(4, 2, true));
    sourceList.checkFiles = false;
    start_music(dir_.playlist("list.lst", {good, bad, bad, good2, bad}));
    ASSERT_TRUE(
        wait_for_player([](const PlayerState& s) { return silent(s) && playbackList.count == 0; }));
    EXPECT_EQ(channels_played(), (std::vector<int>{2, 1}));
    // One failure: all three entries with that path went at once.
    EXPECT_EQ(box_texts(), (std::vector<std::string>{"No header found!"}));
    EXPECT_EQ(win_.message_boxes()[0].caption, "File format error");
    EXPECT_EQ(win_.message_boxes()[0].type, MB_ICONERROR);
}

TEST_F(Controller, AListWhoseEntriesAllFailEndsSilentWithAMessageForEach) {
    wave_.set_instant(true);
    const std::string x = dir_.write_text("x.mp3", "no frames here");
    const std::string y = dir_.write_text("y.mp2", "nor here");
    const std::string z = dir_.write("z.mpa", Bytes(3000, 0x20));
    start_music(dir_.playlist("all-bad.m3u", {x, y, z}));
    EXPECT_TRUE(silent(player_state()));
    EXPECT_EQ(playbackList.count, 0);
    EXPECT_EQ(wave_.open_count(), 0);
    EXPECT_EQ(box_texts(), (std::vector<std::string>(3, "No header found!")));
    EXPECT_FALSE(player_state().ready);
    EXPECT_FALSE(player_state().started);
}

TEST_F(Controller, AMissingSingleFileResetsAndLeavesTheListAlone) {
    start_music(dir_.path("gone.mp3"));
    EXPECT_TRUE(silent(player_state()));
    EXPECT_EQ(box_texts(), (std::vector<std::string>{"Error opening file: " + dir_.path("gone.mp3"),
                                                     "No header found!"}));
    EXPECT_EQ(player_state().currentEntry, "");
}

TEST_F(Controller, StopAndRewindDoesNothingUntilSomethingWasStarted) {
    MciCommandLog log;
    stop_and_rewind();
    EXPECT_TRUE(log.commands().empty());
    EXPECT_FALSE(player_state().ready);

    player_state().currentEntry = dir_.write("a.mp2", silent_stream(4));
    ASSERT_TRUE(prepare_selection());
    log.clear();
    const auto* header = player_state().decodeJob.header.get();
    stop_and_rewind();
    EXPECT_TRUE(player_state().ready);
    EXPECT_EQ(player_state().decodeJob.header.get(), header);  // not reopened
    EXPECT_TRUE(log.commands().empty());
}

TEST_F(Controller, StopAndRewindStopsAtOnceAndPlayThenStartsFromTheBeginning) {
    const std::string file = dir_.write("long.mp2", silent_stream(100));
    start_music(file);
    // The device plays nothing, so the decoder blocks at frame 96 with three buffers queued.
    for (int i = 0; i < 4000 && wave_.queued() < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(wave_.queued(), 3u);
    stop_and_rewind();
    EXPECT_FALSE(player_state().decodingThread.running());
    EXPECT_TRUE(player_state().ready);
    EXPECT_FALSE(player_state().started);
    EXPECT_EQ(player_state().currentEntry, file);
    ASSERT_EQ(wave_.open_count(), 1);
    EXPECT_TRUE(wave_.devices()[0].closed);
    EXPECT_TRUE(wave_.played().empty());  // the queued audio was dropped

    wave_.set_instant(true);
    play();
    ASSERT_TRUE(wait_for_player(silent));
    ASSERT_EQ(wave_.open_count(), 2);
    EXPECT_EQ(wave_.devices()[1].played.size(), 4 * kStereoBuffer);  // all 100 frames
}

TEST_F(Controller, ASecondPlayWithoutANewOpenDoesNothing) {
    const std::string file = dir_.write("a.mp2", silent_stream(100));
    player_state().currentEntry = file;
    ASSERT_TRUE(prepare_selection());
    play();
    EXPECT_TRUE(player_state().started);
    EXPECT_FALSE(player_state().ready);
    play();
    wave_.set_instant(true);
    while (wave_.complete_next()) {
    }
    ASSERT_TRUE(wait_for_player(silent));
    EXPECT_EQ(wave_.open_count(), 1);
    EXPECT_EQ(wave_.devices()[0].played.size(), 4 * kStereoBuffer);
}

TEST_F(Controller, AdvanceAndStopWithNothingOpenAreHarmless) {
    MciCommandLog log;
    advance(true);
    advance(false);
    play_at_position();
    stop_playback();
    stop_playback();
    EXPECT_TRUE(silent(player_state()));
    // With nothing open the job is MCI's: each stop closes the alias, which is allowed.
    EXPECT_EQ(log.commands(),
              (std::vector<std::string>{"close sounder wait", "close sounder wait"}));
}

TEST_F(Controller, APlaylistWithoutEntriesResets) {
    start_music(dir_.write_text("empty.m3u", "\n\n"));
    EXPECT_TRUE(silent(player_state()));
    EXPECT_FALSE(player_state().listActive);
    EXPECT_EQ(wave_.open_count(), 0);
}

}  // namespace
