// The cdaudio device on the simulated disc: the player's command strings, TMSF answers, the end
// of a track, notices and errors.
#include <sys/stat.h>

#include <vector>

#include "mci_test_support.h"
#include "platform/winmm/cd_simulated.h"
#include "platform/winmm/mci_command_log.h"

namespace {

// Ten tracks; track 3 lasts 180000 ms (13500 frames), track 10 240000 ms.
std::vector<DWORD> ten_tracks() {
    std::vector<DWORD> ms;
    for (int t = 1; t <= 10; ++t) ms.push_back(200000 + 1000 * t);
    ms[2] = 180000;
    ms[9] = 240000;
    return ms;
}

class MciCd : public MciTest {
protected:
    SimulatedDisc disc_{ten_tracks()};
};

// The commands the player sends to open a CD track, then to play and watch it.
void open_track(const std::string& track) {
    mci_ok("open cdaudio alias sounder shareable wait");
    EXPECT_EQ(mci_ok("status sounder number of tracks wait"), "10");
    mci_ok("set sounder time format ms wait");
    mci_ok("status sounder length track " + track + " wait");
    mci_ok("set sounder time format tmsf");
}

TEST_F(MciCd, TrackThreeOfTenPlaysFromItsStartToTheNextTrackAndEndsByTime) {
    MciCommandLog log;
    mci_ok("open cdaudio alias sounder shareable wait");
    EXPECT_EQ(mci_ok("status sounder number of tracks wait"), "10");
    mci_ok("set sounder time format ms wait");
    EXPECT_EQ(mci_ok("status sounder length track 3 wait"), "180000");
    mci_ok("set sounder time format tmsf");
    mci_ok("play sounder from 3 to 4 notify");
    ASSERT_EQ(disc_.plays().size(), 1u);
    EXPECT_EQ(disc_.plays()[0].start, disc_.track_start(3));
    EXPECT_EQ(disc_.plays()[0].end, disc_.track_start(4));
    EXPECT_EQ(mci_ok("status sounder position wait"), "03:00:00:00");
    EXPECT_EQ(mci_ok("status sounder mode wait"), "playing");

    // 2 x 60000 + 59 x 1000 + 70 x 1000 / 75 = 179933 ms into the track.
    disc_.advance(179934);
    EXPECT_EQ(mci_ok("status sounder position wait"), "03:02:59:70");
    // At its end the drive stops at the start of the next track.
    disc_.advance(100);
    EXPECT_FALSE(disc_.playing());
    EXPECT_EQ(mci_ok("status sounder position wait"), "04:00:00:00");
    EXPECT_EQ(mci_ok("status sounder mode wait"), "stopped");
    mci_ok("stop sounder");
    mci_ok("close sounder wait");

    EXPECT_EQ(log.commands(), (std::vector<std::string>{
                                  "open cdaudio alias sounder shareable wait",
                                  "status sounder number of tracks wait",
                                  "set sounder time format ms wait",
                                  "status sounder length track 3 wait",
                                  "set sounder time format tmsf",
                                  "play sounder from 3 to 4 notify",
                                  "status sounder position wait",
                                  "status sounder mode wait",
                                  "status sounder position wait",
                                  "status sounder position wait",
                                  "status sounder mode wait",
                                  "stop sounder",
                                  "close sounder wait",
                              }));
    for (const auto& r : log.records()) EXPECT_EQ(r.result, 0u) << r.command;
}

TEST_F(MciCd, TheLastTrackPlaysToTheEndOfTheDisc) {
    open_track("10");
    mci_ok("play sounder from 10 notify");
    ASSERT_EQ(disc_.plays().size(), 1u);
    EXPECT_EQ(disc_.plays()[0].start, disc_.track_start(10));
    EXPECT_EQ(disc_.plays()[0].end, disc_.track_start(10) + 240 * 75);
    disc_.advance(239800);
    EXPECT_EQ(mci_ok("status sounder position wait"), "10:03:59:60");
    disc_.advance(1000);
    EXPECT_EQ(mci_ok("status sounder position wait"), "10:04:00:00");
}

// A drive reports no status while it spins up: the play is then at its start, not at its end.
TEST_F(MciCd, APlayNotYetSoundingIsAtItsStart) {
    disc_.set_spin_up(1500);
    HWND window = notice_window();
    open_track("3");
    mci_ok("play sounder from 3 to 4 notify", window);
    EXPECT_EQ(mci_ok("status sounder position wait"), "03:00:00:00");
    EXPECT_EQ(mci_ok("status sounder mode"), "seeking");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the watcher looks meanwhile
    disc_.advance(1000 + 1000);
    EXPECT_EQ(mci_ok("status sounder position wait"), "03:00:00:37");
    EXPECT_EQ(mci_ok("status sounder mode"), "playing");
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE));
    disc_.advance(180000);
    EXPECT_EQ(mci_ok("status sounder position wait"), "04:00:00:00");
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(MciCd, StatusAnswersInEachTimeFormat) {
    mci_ok("open cdaudio alias sounder shareable wait");
    EXPECT_EQ(mci_ok("status sounder time format"), "msf");
    EXPECT_EQ(mci_ok("status sounder media present"), "true");
    EXPECT_EQ(mci_ok("status sounder position"), "00:02:00");  // the first track's start
    mci_ok("set sounder time format tmsf");
    EXPECT_EQ(mci_ok("status sounder length track 3"), "03:00:00");
    EXPECT_EQ(mci_ok("status sounder length track 10"), "04:00:00");
    EXPECT_EQ(mci_ok("status sounder position track 7"), "07:00:00:00");
    // Leading zeros are read as numbers; a position inside a track plays from there.
    mci_ok("play sounder from 05:01:30 to 06");
    EXPECT_EQ(disc_.plays().back().start, disc_.track_start(5) + 90 * 75);
    EXPECT_EQ(mci_ok("status sounder current track"), "5");
    disc_.advance(2000);
    EXPECT_EQ(mci_ok("status sounder position"), "05:01:32:00");
    mci_ok("set sounder time format msf");
    const int head = disc_.track_start(5) + 92 * 75;
    char msf[16];
    std::snprintf(msf, sizeof msf, "%02d:%02d:%02d", head / 4500, head / 75 % 60, head % 75);
    EXPECT_EQ(mci_ok("status sounder position"), msf);
    mci_ok("set sounder time format milliseconds");
    EXPECT_EQ(mci_ok("status sounder position"), std::to_string(head * 1000 / 75));
    EXPECT_EQ(mci_ok("status sounder length"), "2062000");  // the whole disc
    EXPECT_EQ(mci_ok("status sounder time format"), "milliseconds");
    // Stopped, the position stays where the head stopped.
    mci_ok("stop sounder wait");
    EXPECT_EQ(disc_.stops(), 1);
    EXPECT_EQ(mci_ok("status sounder position"), std::to_string(head * 1000 / 75));
}

TEST_F(MciCd, LeavingTheTrackShowsInThePositionsTrackField) {
    open_track("3");
    mci_ok("play sounder from 3 to 4 notify");
    disc_.seek(disc_.track_start(6) + 75);  // the drive jumped ahead
    EXPECT_EQ(mci_ok("status sounder position wait"), "06:00:01:00");
}

TEST_F(MciCd, NotifyWithAWindowPostsTheOutcome) {
    HWND window = notice_window();
    const std::string id = mci_ok("open cdaudio alias sounder shareable wait");
    mci_ok("set sounder time format tmsf");

    // Runs out by itself: successful, with the device id.
    mci_ok("play sounder from 2 to 3 notify", window);
    disc_.advance(300000);
    MSG msg{};
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(std::to_string(msg.lParam), id);

    // Replaced by another play: superseded; stopped: aborted.
    mci_ok("play sounder from 4 to 5 notify", HWND_BROADCAST);
    mci_ok("play sounder from 6 to 7");
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUPERSEDED);
    mci_ok("play sounder from 6 to 7 notify", window);
    mci_ok("stop sounder");
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_ABORTED);

    // Without a window nothing is posted; other commands notify when they are done.
    mci_ok("play sounder from 8 to 9 notify");
    disc_.advance(300000);
    mci_ok("status sounder mode notify", window);
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE));
}

TEST_F(MciCd, WithoutADiscOrADriveTheCommandsFailWithTheirTexts) {
    disc_.eject();
    mci_ok("open cdaudio alias sounder shareable wait");
    MciReply r = mci("status sounder number of tracks wait");
    EXPECT_EQ(r.error, MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(r.answer, "");
    EXPECT_EQ(mci_error_text(r.error),
              "The device is not ready. Check that a disc is in the drive.");
    EXPECT_EQ(mci_ok("status sounder media present"), "false");
    EXPECT_EQ(mci_ok("status sounder mode"), "not ready");
    mci_ok("close sounder wait");

    disc_.set_drive_present(false);
    r = mci("open cdaudio alias sounder shareable wait");
    EXPECT_EQ(r.error, MCIERR_DEVICE_NOT_INSTALLED);
    EXPECT_FALSE(mci_error_text(r.error).empty());
    EXPECT_EQ(mci("status sounder mode").error, MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MciCd, BadPositionsFormatsAndDriveFailuresAreRefused) {
    open_track("3");
    EXPECT_EQ(mci("play sounder from 11").error, MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci("play sounder from 4 to 3").error, MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci("play sounder from 3:00:61").error, MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci("play sounder from three").error, MCIERR_BAD_INTEGER);
    EXPECT_EQ(mci("play sounder from 1:2:3:4:5").error, MCIERR_BAD_INTEGER);
    EXPECT_EQ(mci("play sounder from").error, MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(mci("play sounder from 3 from 4").error, MCIERR_DUPLICATE_FLAGS);
    EXPECT_EQ(mci("status sounder length track 11").error, MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci("status sounder length track x").error, MCIERR_BAD_INTEGER);
    EXPECT_EQ(mci("set sounder time format bytes").error, MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(mci("set sounder time format hours").error, MCIERR_BAD_TIME_FORMAT);
    EXPECT_TRUE(disc_.plays().empty());

    mci_ok("play sounder from 3 to 4");
    disc_.fail_stop(true);
    EXPECT_EQ(mci("stop sounder wait").error, MCIERR_HARDWARE);
    disc_.fail_subchannel(true);
    EXPECT_EQ(mci("status sounder position wait").error, MCIERR_HARDWARE);
    disc_.fail_stop(false);
    disc_.fail_subchannel(false);
}

TEST_F(MciCd, PollingFromAWorkerWhileTheMainThreadDrivesTheDisc) {
    open_track("3");
    mci_ok("play sounder from 3 to 4 notify");
    std::atomic<bool> ended{false};
    std::thread worker([&] {
        char answer[1024];
        while (mciSendStringA("status sounder position wait", answer, sizeof answer, nullptr) ==
                   0 &&
               answer[1] == '3') {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        mciSendStringA("stop sounder", answer, sizeof answer, nullptr);
        ended = true;
    });
    while (!ended) {
        disc_.advance(5000);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(mci_ok("status sounder position"), "04:00:00:00");
}

TEST(MciCdDrive, TheRealDriveIsMissingHere) {
    struct stat st;
    if (stat("/dev/cdrom", &st) == 0) GTEST_SKIP() << "this machine has a CD drive";
    MciReply r = mci("open cdaudio alias sounder shareable wait");
    EXPECT_EQ(r.error, MCIERR_DEVICE_NOT_INSTALLED);
}

}  // namespace
