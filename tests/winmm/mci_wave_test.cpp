// The waveaudio device on the capture backend, other media, the command reader and error texts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "mci_test_support.h"
#include "platform/winmm/wave_capture.h"

namespace {

namespace fs = std::filesystem;

void put16(std::vector<char>& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::vector<char>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A RIFF wave file with a "LIST" chunk of odd size before "data", as editors write them.
std::vector<char> wave_bytes(const std::vector<char>& samples, unsigned channels, unsigned rate,
                             unsigned bits, std::uint32_t claimed_data = 0) {
    std::vector<char> out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    put32(out, 16);
    put16(out, 1);
    put16(out, channels);
    put32(out, rate);
    put32(out, rate * channels * bits / 8);
    put16(out, channels * bits / 8);
    put16(out, bits);
    for (char c : {'L', 'I', 'S', 'T'}) out.push_back(c);
    put32(out, 3);
    for (char c : {'a', 'b', 'c', '\0'}) out.push_back(c);  // padded to even
    for (char c : {'d', 'a', 't', 'a'}) out.push_back(c);
    put32(out, claimed_data ? claimed_data : static_cast<std::uint32_t>(samples.size()));
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

std::string write_file(const std::string& name, const std::vector<char>& bytes) {
    const fs::path dir = fs::path(testing::TempDir()) / "lumivex mci";
    fs::create_directories(dir);
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return path.string();
}

// One second of 8 kHz mono 16-bit samples: 16000 bytes.
std::vector<char> one_second() {
    std::vector<char> s(16000);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 7 + i / 256);
    return s;
}

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

class MciWave : public MciTest {
protected:
    CaptureWave capture_;
};

TEST_F(MciWave, AQuotedPathWithSpacesOpensAndPlaysThroughTheWaveOutLayer) {
    HWND window = notice_window();
    const std::vector<char> samples = one_second();
    const std::string path = write_file("my song.wav", wave_bytes(samples, 1, 8000, 16));
    // The commands the player sends for a file that is not a CD track.
    const std::string id = mci_ok("open " + quoted(path) + " alias sounder wait");
    mci_ok("set sounder time format ms wait");
    EXPECT_EQ(mci_ok("status sounder length wait"), "1000");
    mci_ok("play sounder notify", window);
    EXPECT_EQ(mci_ok("status sounder mode"), "playing");
    ASSERT_EQ(capture_.devices().size(), 1u);
    EXPECT_EQ(capture_.devices()[0].format.nSamplesPerSec, 8000u);
    EXPECT_EQ(capture_.devices()[0].format.nChannels, 1u);

    capture_.advance(250);
    EXPECT_EQ(mci_ok("status sounder position wait"), "250");
    capture_.advance(800);
    EXPECT_EQ(capture_.played(), std::vector<std::uint8_t>(samples.begin(), samples.end()));
    EXPECT_EQ(mci_ok("status sounder mode"), "stopped");
    EXPECT_EQ(mci_ok("status sounder position"), "1000");
    MSG msg{};
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(std::to_string(msg.lParam), id);
    mci_ok("close sounder wait");
    EXPECT_TRUE(capture_.devices()[0].closed);
}

TEST_F(MciWave, PlayRangesStopAndResume) {
    HWND window = notice_window();
    const std::vector<char> samples = one_second();
    const std::string path = write_file("range.wav", wave_bytes(samples, 1, 8000, 16));
    mci_ok("open " + quoted(path) + " type waveaudio alias sounder");
    mci_ok("set sounder time format bytes");
    mci_ok("play sounder from 2000 to 6000 notify", window);
    capture_.advance(1000);
    EXPECT_EQ(capture_.played(),
              std::vector<std::uint8_t>(samples.begin() + 2000, samples.begin() + 6000));
    MSG msg{};
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);

    // Stopped half way: the rest is dropped, the notice says aborted, and a play without
    // "from" resumes where it stopped.
    mci_ok("set sounder time format ms");
    mci_ok("play sounder from 0 notify", window);
    capture_.advance(100);  // 1600 bytes
    mci_ok("stop sounder wait");
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_ABORTED);
    EXPECT_EQ(mci_ok("status sounder position"), "100");
    mci_ok("play sounder");
    capture_.advance(2000);
    std::vector<std::uint8_t> expected(samples.begin() + 2000, samples.begin() + 6000);
    expected.insert(expected.end(), samples.begin(), samples.end());
    EXPECT_EQ(capture_.played(), expected);
    EXPECT_EQ(mci("play sounder from 1001").error, MCIERR_OUTOFRANGE);
    EXPECT_EQ(mci("set sounder time format tmsf").error, MCIERR_BAD_TIME_FORMAT);
}

TEST_F(MciWave, PlayWaitReturnsWhenTheFileHasPlayed) {
    capture_.set_instant(true);
    const std::vector<char> samples = one_second();
    const std::string path = write_file("wait.wav", wave_bytes(samples, 2, 4000, 16));
    mci_ok("open " + quoted(path) + " alias sounder");
    mci_ok("play sounder wait");
    EXPECT_EQ(capture_.played().size(), samples.size());
    EXPECT_EQ(mci_ok("status sounder mode"), "stopped");
}

TEST_F(MciWave, AStopFromAnotherThreadEndsAPlayThatWaits) {
    const std::string path = write_file("long.wav", wave_bytes(one_second(), 1, 8000, 16));
    mci_ok("open " + quoted(path) + " alias sounder");
    std::atomic<bool> returned{false};
    std::thread waiter([&] {
        EXPECT_EQ(mciSendStringA("play sounder wait", nullptr, 0, nullptr), 0u);
        returned = true;
    });
    while (mci_ok("status sounder mode") != "playing") std::this_thread::yield();
    capture_.advance(100);
    EXPECT_FALSE(returned);
    mci_ok("stop sounder");
    waiter.join();
    EXPECT_TRUE(returned);
}

TEST_F(MciWave, ACutShortFilePlaysWhatItHolds) {
    std::vector<char> samples(3001, 5);  // one byte short of a whole sample at the end
    const std::string path = write_file("cut.wav", wave_bytes(samples, 1, 8000, 16, 100000));
    mci_ok("open " + quoted(path) + " alias sounder");
    mci_ok("set sounder time format samples");
    EXPECT_EQ(mci_ok("status sounder length"), "1500");
    mci_ok("play sounder");
    capture_.advance(5000);
    EXPECT_EQ(capture_.played().size(), 3000u);

    // Cut to its header after it was opened: the play ends at once and says so, so a playlist
    // waiting for the notice moves on.
    HWND window = notice_window();
    mci_ok("close sounder");
    mci_ok("open " + quoted(path) + " alias sounder");
    fs::resize_file(path, 56);
    mci_ok("play sounder from 0 notify", window);
    EXPECT_EQ(mci_ok("status sounder mode"), "stopped");
    MSG msg{};
    ASSERT_TRUE(next_notice(&msg));
    EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
}

TEST_F(MciWave, FilesThatCannotBePlayedAreRefusedWithTheirTexts) {
    const std::string missing =
        (fs::path(testing::TempDir()) / "lumivex mci" / "none.wav").string();
    MciReply r = mci("open " + quoted(missing) + " alias sounder wait");
    EXPECT_EQ(r.error, MCIERR_FILE_NOT_FOUND);
    EXPECT_EQ(mci_error_text(r.error),
              "The file cannot be found. Check the path and the file name.");
    const std::string text = write_file("text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(mci("open " + quoted(text) + " alias sounder wait").error, MCIERR_INVALID_FILE);
    const std::string deep =
        write_file("deep.wav", wave_bytes(std::vector<char>(300), 2, 44100, 24));
    EXPECT_EQ(mci("open " + quoted(deep) + " alias sounder wait").error,
              MCIERR_WAVE_OUTPUTSUNSUITABLE);

    // A wave device that cannot be had.
    const std::string good = write_file("good.wav", wave_bytes(one_second(), 1, 8000, 16));
    mci_ok("open " + quoted(good) + " alias sounder wait");
    capture_.fail_open(MMSYSERR_ALLOCATED);
    r = mci("play sounder notify");
    EXPECT_EQ(r.error, MCIERR_WAVE_OUTPUTSINUSE);
    EXPECT_FALSE(mci_error_text(r.error).empty());
}

TEST_F(MciWave, AFifoOrADeviceFailsLikeAMissingFileWithoutWaiting) {
    ASSERT_EQ(mci("open /dev/zero type waveaudio alias sounder wait").error, MCIERR_FILE_NOT_FOUND);
    const std::string fifo = (fs::path(testing::TempDir()) / "lumivex mci" / "fifo.wav").string();
    fs::create_directories(fs::path(fifo).parent_path());
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    {
        // Held open at both ends, the FIFO opens at once, but reading it could wait for ever.
        const int holder = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(holder, 0);
        const MCIERROR held = mci("open " + quoted(fifo) + " type waveaudio alias sounder").error;
        ::close(holder);
        ASSERT_EQ(held, MCIERR_FILE_NOT_FOUND);
    }
    // Nobody at either end: a blocking open would never return.
    EXPECT_EQ(mci("open " + quoted(fifo) + " type waveaudio alias sounder").error,
              MCIERR_FILE_NOT_FOUND);

    // A file that becomes a FIFO between the open and the play.
    const std::string song = write_file("becomes fifo.wav", wave_bytes(one_second(), 1, 8000, 16));
    mci_ok("open " + quoted(song) + " alias sounder wait");
    fs::remove(song);
    ASSERT_EQ(::mkfifo(song.c_str(), 0600), 0);
    EXPECT_EQ(mci("play sounder").error, MCIERR_FILE_NOT_FOUND);
    fs::remove(song);
    fs::remove(fifo);
}

TEST_F(MciWave, OtherMediaAnswerThatTheirDriverCannotBeLoaded) {
    const std::string expected =
        "The driver for this kind of media cannot be loaded: this system has none.";
    for (const char* name :
         {"tune.mid", "tune.RMI", "sound.aif", "sound.aiff", "sound.au", "film.avi", "film.MOV",
          "film.qt", "video.dat", "video.mpg", "video.mpeg", "video.mpv"}) {
        const std::string path = write_file(name, {'x'});
        MciReply r = mci("open " + quoted(path) + " alias sounder wait");
        EXPECT_EQ(r.error, MCIERR_CANNOT_LOAD_DRIVER) << name;
        EXPECT_EQ(mci_error_text(r.error), expected);
    }
    EXPECT_EQ(mci("open \"a.wav\" type sequencer alias sounder").error, MCIERR_CANNOT_LOAD_DRIVER);
    EXPECT_EQ(mci("open avivideo alias sounder").error, MCIERR_CANNOT_LOAD_DRIVER);
    EXPECT_EQ(mci("open \"a.xyz\" alias sounder").error, MCIERR_EXTENSION_NOT_FOUND);
    EXPECT_EQ(mci("open \"a.wav\" type gramophone alias sounder").error,
              MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(mci("open waveaudio alias sounder").error, MCIERR_FILENAME_REQUIRED);
    EXPECT_EQ(mci("status sounder mode").error, MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MciWave, CommandStringsAreCheckedBeforeAnythingRuns) {
    const std::string path = write_file("check.wav", wave_bytes(one_second(), 1, 8000, 16));
    EXPECT_EQ(mci("").error, MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(mciSendStringA(nullptr, nullptr, 0, nullptr), MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(mci("open \"" + path + " alias sounder").error, MCIERR_NO_CLOSING_QUOTE);
    EXPECT_EQ(mci("open \"a\"b alias sounder").error, MCIERR_EXTRA_CHARACTERS);
    EXPECT_EQ(mci("play").error, MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(mci("frobnicate sounder").error, MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(mci("pause sounder").error, MCIERR_UNSUPPORTED_FUNCTION);

    // Keywords in any case, the answer is the device id, aliases are unique.
    EXPECT_FALSE(mci_ok("OPEN " + quoted(path) + " Alias Sounder SHAREABLE WAIT").empty());
    EXPECT_EQ(mci("open " + quoted(path) + " alias SOUNDER").error, MCIERR_DUPLICATE_ALIAS);
    EXPECT_EQ(mci("status sounder").error, MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(mci("status sounder colour").error, MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(mci("status sounder mode please").error, MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(mci("status sounder mode wait wait").error, MCIERR_DUPLICATE_FLAGS);
    EXPECT_EQ(mci("set sounder time format").error, MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(mci("stop all").error, MCIERR_CANNOT_USE_ALL);
    EXPECT_EQ(mci("status sounder length track 2").error, MCIERR_OUTOFRANGE);

    // An answer that does not fit its buffer.
    char small[3] = "xx";
    EXPECT_EQ(mciSendStringA("status sounder time format", small, sizeof small, nullptr),
              MCIERR_PARAM_OVERFLOW);
    EXPECT_STREQ(small, "");
    char fits[16];
    EXPECT_EQ(mciSendStringA("status sounder time format", fits, sizeof fits, nullptr), 0u);
    EXPECT_STREQ(fits, "milliseconds");
    EXPECT_EQ(mci_ok("close sounder"), "");
    EXPECT_EQ(mci("close sounder").error, MCIERR_INVALID_DEVICE_NAME);
}

TEST(MciErrors, EveryCodeHasATextThatFits) {
    char text[MAXERRORLENGTH];
    int known = 0;
    for (MCIERROR e = MCIERR_BASE; e < MCIERR_BASE + 100; ++e) {
        if (mciGetErrorStringA(e, text, sizeof text)) {
            ++known;
            EXPECT_GT(std::strlen(text), 10u) << e;
            EXPECT_LT(std::strlen(text), MAXERRORLENGTH - 1) << e;
        } else {
            EXPECT_STREQ(text, "This is not a known MCI error code.");
        }
    }
    EXPECT_EQ(known, 75);  // every MCIERR_* code of mci.h
    for (MCIERROR e : {MCIERR_CANNOT_LOAD_DRIVER, MCIERR_UNSUPPORTED_FUNCTION,
                       MCIERR_DEVICE_NOT_INSTALLED, MCIERR_WAVE_OUTPUTSINUSE}) {
        EXPECT_TRUE(mciGetErrorStringA(e, text, sizeof text));
    }
    // Cut to the buffer, always terminated.
    char tiny[8];
    EXPECT_TRUE(mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "The fil");
    EXPECT_FALSE(mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, tiny, 0));
}

}  // namespace
