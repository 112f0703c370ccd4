// MCI command strings of any content, against a capture sound device and a simulated disc.
//
// The input is up to 32 command lines; "%F" in a command names a file that holds whatever
// follows a line "--" (so the wave file reader is fuzzed too), and "%W" a valid short wave
// file; a "play" with "wait" is left out, as the simulated disc's clock stands still. Checks,
// on every input: each answer fits its buffer and is NUL-terminated, every error
// code has its text, and "close all" leaves nothing open.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/common/fuzz_support.h"
#include "platform/winmm/cd_simulated.h"
#include "platform/winmm/mci.h"
#include "platform/winmm/wave_capture.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// A 16-bit stereo 44.1 kHz wave file of 100 frames of silence.
std::string valid_wave() {
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    const std::uint32_t data_bytes = 100 * 4;
    return "RIFF" + u32(36 + data_bytes) + "WAVEfmt " + u32(16) + u16(1) + u16(2) + u32(44100) +
           u32(44100 * 4) + u16(4) + u16(16) + "data" + u32(data_bytes) +
           std::string(data_bytes, '\0');
}

std::string replace_all(std::string s, std::string_view from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QuietWin win;
    static CaptureWave* wave = [] {
        auto* w = new CaptureWave;
        w->set_instant(true);
        return w;
    }();
    static SimulatedDisc* disc = new SimulatedDisc({3000, 65000, 200});
    static const std::string fuzzed = fuzz_scratch_path("fuzzed.wav");
    static const std::string valid = [] {
        const std::string path = fuzz_scratch_path("valid.wav");
        const std::string bytes = valid_wave();
        write_scratch_file(path, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           bytes.size());
        return path;
    }();
    (void)wave;
    (void)disc;
    install_win_backend(&win);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view file;
    if (std::size_t sep = input.find("\n--\n"); sep != std::string_view::npos) {
        file = input.substr(sep + 4);
        input = input.substr(0, sep);
    }
    write_scratch_file(fuzzed, reinterpret_cast<const std::uint8_t*>(file.data()), file.size());

    int commands = 0;
    while (!input.empty() && commands++ < 32) {
        const std::size_t end = input.find('\n');
        std::string line(input.substr(0, end));
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        line = replace_all(replace_all(std::move(line), "%F", fuzzed), "%W", valid);
        if (line.find('\0') != std::string::npos) continue;  // not expressible as a C string
        // A "play ... wait" on the simulated disc waits for a clock nobody here advances.
        std::string lower = line;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("play") != std::string::npos && lower.find("wait") != std::string::npos)
            continue;
        // Answer buffers from none to roomy, chosen by the line's length.
        char answer[96];
        std::memset(answer, 'x', sizeof answer);
        const UINT room = static_cast<UINT>(line.size() % 4 == 0 ? 0 : line.size() % 96);
        const MCIERROR e = mciSendStringA(line.c_str(), room ? answer : nullptr, room, nullptr);
        if (room) check(std::memchr(answer, '\0', room) != nullptr);
        if (e != 0) {
            char text[MAXERRORLENGTH];
            check(mciGetErrorStringA(e, text, sizeof text) != 0);
        }
    }
    check(mciSendStringA("close all wait", nullptr, 0, nullptr) == 0);
    char answer[16];
    check(mciSendStringA("status sounder mode", answer, sizeof answer, nullptr) != 0);
    return 0;
}
