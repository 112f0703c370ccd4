// lumivex-decode INPUT OUTPUT: decodes an MPEG audio file exactly as the player does, into a
// WAV file (OUTPUT ending in .wav), raw 16-bit little-endian samples, or standard output (-).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "file_output.h"
#include "mpeg/mpeg_decoder.h"

namespace {

// The exit statuses, as the usage text states them.
constexpr int kDecoded = 0;
constexpr int kNothingDecoded = 1;
constexpr int kBadCommandLine = 2;
constexpr int kCannotWrite = 3;

constexpr const char* kUsage =
    "usage: lumivex-decode INPUT OUTPUT\n"
    "  decodes an MPEG audio file (layers I, II and III); OUTPUT - writes raw\n"
    "  16-bit little-endian samples to standard output, a name ending in .wav\n"
    "  gets a WAV file, any other name raw samples\n"
    "exit status:\n"
    "  0  decoded\n"
    "  1  nothing could be decoded: INPUT is missing, not a regular file, or holds\n"
    "     no MPEG audio frame (OUTPUT is then not created)\n"
    "  2  bad command line\n"
    "  3  OUTPUT could not be created or written\n";

bool ends_with_wav(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".wav";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return kDecoded;
    }
    if (argc != 3) {
        std::fputs(kUsage, stderr);
        return kBadCommandLine;
    }
    const char* input = argv[1];
    std::string output_name = argv[2];
    bool to_stdout = output_name == "-";
    bool wav = !to_stdout && ends_with_wav(output_name);

    FileOutputSummary summary;
    bool cannot_create = false;
    bool found = decode_file(
        input, [&](int channels, const FrameHeader& first) -> std::unique_ptr<PcmOutput> {
            std::FILE* file = to_stdout ? stdout : std::fopen(output_name.c_str(), "wb");
            if (file == nullptr) {
                std::fprintf(stderr, "lumivex-decode: cannot write %s: %s\n", output_name.c_str(),
                             std::strerror(errno));
                cannot_create = true;
                return nullptr;
            }
            return std::make_unique<FileOutput>(file, !to_stdout, wav, channels,
                                                first.frequency_hz(), &summary);
        });
    // The output is made only once the input has a frame, so this is never a decoding failure.
    if (cannot_create) return kCannotWrite;
    if (summary.failed) {
        std::fprintf(stderr, "lumivex-decode: error writing %s\n", output_name.c_str());
        return kCannotWrite;
    }
    if (!found || summary.frames == 0) {
        std::fprintf(stderr, "lumivex-decode: nothing could be decoded from %s\n", input);
        return kNothingDecoded;
    }
    return kDecoded;
}
