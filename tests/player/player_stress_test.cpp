// The player under pressure: the main thread stops, rewinds and advances for thousands of
// rounds while decoding threads reach the ends of very short files and hand over.
#include <gtest/gtest.h>

#include <random>

#include "platform/win/win_scripted.h"
#include "player_test_support.h"

namespace {

using namespace player_test;

class PlayerStress : public PlayerTest {
protected:
    ScriptedWin win_;
    DiscardingWave wave_;
    TempDir dir_;
};

TEST_F(PlayerStress, MainThreadOperationsMeetHandOversWithoutDeadlockOrRace) {
    // One and two frames of layer I: a piece ends almost as soon as it starts.
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(
            dir_.write("f" + std::to_string(i) + ".mp1", silent_stream(1 + i % 2, 1, i % 2 == 0)));
    }
    player_state().repeat = 1;
    start_music(dir_.playlist("short.m3u", files));

    std::mt19937 random(12345);
    int rounds = 0;
    const int kRounds = 3000;
    for (; rounds < kRounds; ++rounds) {
        switch (random() % 6) {
            case 0:  // focus loss and back
                stop_and_rewind();
                play();
                break;
            case 1:  // the saver window's MM_MCINOTIFY
                stop_playback();
                advance(true);
                break;
            case 2:
                play_at_position();
                break;
            case 3:
                advance(true);
                break;
            case 4:  // the playlist editor's Load List, then play
            {
                PlayerLock lock;
                player_state().currentEntry = dir_.path("short.m3u");
                if (prepare_selection()) play();
            } break;
            default:
                stop_playback();
                play_at_position();
                break;
        }
        // Now and then let the hand-overs run among themselves.
        if (random() % 4 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    }
    EXPECT_EQ(rounds, kRounds);
    reset_player();
    EXPECT_TRUE(silent(player_state()));
    EXPECT_FALSE(player_state().retiredThread.running());
    EXPECT_TRUE(win_.message_boxes().empty());
    // A main-thread round opens at most one piece: the rest were opened by hand-overs.
    EXPECT_GT(wave_.opens.load(), kRounds);
}

}  // namespace
