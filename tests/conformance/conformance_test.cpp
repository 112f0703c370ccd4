// The conformance corpus: every accuracy row at full accuracy and exact length, every
// robustness row decoded to its end without a crash, a hang or a sanitizer report, and the
// informational rows decoded with their distance printed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(LUMIVEX_SHARED_DIR) / "conformance";
const fs::path kOut = fs::path(LUMIVEX_BINARY_DIR) / "conformance-out";

struct Row {
    std::string file;
    std::string check;
    int channels = 0;
    long out_samples = 0;
    std::string reference;
    long ref_samples = 0;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.file; }

std::vector<Row> read_manifest() {
    std::vector<Row> rows;
    std::ifstream in(kCorpus / "manifest.tsv");
    std::string line;
    std::vector<std::string> columns;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t')) f.push_back(cell);
        if (columns.empty()) {
            columns = f;
            continue;
        }
        auto get = [&](const std::string& name) -> std::string {
            for (std::size_t i = 0; i < columns.size() && i < f.size(); ++i) {
                if (columns[i] == name) return f[i];
            }
            return "-";
        };
        auto number = [&](const std::string& name) {
            std::string v = get(name);
            return v == "-" ? 0L : std::stol(v);
        };
        Row r;
        r.file = get("file");
        r.check = get("check");
        r.channels = static_cast<int>(number("channels"));
        r.out_samples = number("out_samples");
        r.reference = get("reference");
        r.ref_samples = number("ref_samples");
        rows.push_back(r);
    }
    return rows;
}

std::vector<Row> manifest_rows() {
    if (!fs::exists(kCorpus / "manifest.tsv")) return {};
    return read_manifest();
}

std::string shell_quote(const fs::path& p) {
    std::string s = "'";
    for (char c : p.string()) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return s + "'";
}

std::string read_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::int16_t> read_pcm(const fs::path& p, std::size_t skip = 0) {
    std::string bytes = read_text(p);
    std::vector<std::int16_t> samples;
    for (std::size_t i = skip; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<std::uint8_t>(bytes[i]);
        auto hi = static_cast<std::uint8_t>(bytes[i + 1]);
        samples.push_back(static_cast<std::int16_t>(lo | (hi << 8)));
    }
    return samples;
}

struct Decode {
    int exit_code = -1;  // -1: killed by a signal
    bool timed_out = false;
    std::string errors;  // standard error
};

// Runs lumivex-decode with a time limit; standard error goes to a file beside the output.
Decode run_decoder(const fs::path& input, const std::string& output, const fs::path& stderr_file,
                   const std::string& redirect_stdout = "") {
    std::string command = "timeout 300 " + shell_quote(LUMIVEX_DECODE) + " " + shell_quote(input) +
                          " " + (output == "-" ? std::string("-") : shell_quote(output)) +
                          (redirect_stdout.empty() ? "" : " > " + shell_quote(redirect_stdout)) +
                          " 2> " + shell_quote(stderr_file);
    int status = std::system(command.c_str());
    Decode d;
    if (WIFEXITED(status)) {
        d.exit_code = WEXITSTATUS(status);
        d.timed_out = d.exit_code == 124;
    }
    d.errors = read_text(stderr_file);
    return d;
}

bool sanitizer_report(const std::string& errors) {
    return errors.find("Sanitizer") != std::string::npos ||
           errors.find("runtime error") != std::string::npos;
}

struct Distance {
    long compared = 0;  // sample frames
    double worst_rms = 0;
    int max_abs = 0;
};

Distance distance(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& ref,
                  int channels) {
    Distance d;
    d.compared = static_cast<long>(std::min(ours.size(), ref.size()) / channels);
    for (int c = 0; c < channels; ++c) {
        double sum = 0;
        for (long i = 0; i < d.compared; ++i) {
            int diff = ours[i * channels + c] - ref[i * channels + c];
            sum += double(diff) * diff;
            d.max_abs = std::max(d.max_abs, std::abs(diff));
        }
        if (d.compared > 0) d.worst_rms = std::max(d.worst_rms, std::sqrt(sum / d.compared));
    }
    return d;
}

std::string test_name(const std::string& file) {
    std::string name;
    for (char c : file) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class ConformanceRow : public testing::TestWithParam<Row> {};

}  // namespace

TEST(Conformance, CorpusIsPresent) {
    if (!fs::exists(kCorpus / "manifest.tsv")) {
        GTEST_SKIP() << "the conformance corpus is not at " << kCorpus;
    }
    EXPECT_GT(read_manifest().size(), 100u);
}

TEST_P(ConformanceRow, Decodes) {
    const Row& row = GetParam();
    fs::create_directories(kOut);
    fs::path output = kOut / (test_name(row.file) + ".pcm");
    fs::path errors = kOut / (test_name(row.file) + ".stderr");
    fs::remove(output);
    Decode d = run_decoder(kCorpus / row.file, output.string(), errors);
    ASSERT_FALSE(d.timed_out) << row.file << " did not finish";
    ASSERT_GE(d.exit_code, 0) << row.file << " ended by a signal";
    ASSERT_FALSE(sanitizer_report(d.errors)) << d.errors;
    ASSERT_LE(d.exit_code, 1) << d.errors;
    if (row.check == "robustness") return;

    ASSERT_EQ(d.exit_code, 0) << d.errors;
    std::vector<std::int16_t> ours = read_pcm(output);
    std::vector<std::int16_t> ref = read_pcm(kCorpus / row.reference);
    Distance dist = distance(ours, ref, row.channels);
    long our_samples = static_cast<long>(ours.size()) / row.channels;
    std::cout << row.file << ": " << our_samples << " sample frames (expected " << row.out_samples
              << "), compared " << dist.compared << ", worst channel RMS " << dist.worst_rms
              << " LSB, max " << dist.max_abs << " LSB\n";
    RecordProperty("rms", std::to_string(dist.worst_rms));
    RecordProperty("max", std::to_string(dist.max_abs));
    if (row.check != "accuracy") return;  // informational: printed, not graded
    EXPECT_EQ(our_samples, row.out_samples);
    EXPECT_EQ(dist.compared, std::min(row.ref_samples, row.out_samples));
    EXPECT_LT(dist.worst_rms, 1.0 / std::sqrt(12.0));
    EXPECT_LE(dist.max_abs, 2);
}

INSTANTIATE_TEST_SUITE_P(Manifest, ConformanceRow, testing::ValuesIn(manifest_rows()),
                         [](const testing::TestParamInfo<Row>& info) {
                             return test_name(info.param.file);
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConformanceRow);

TEST(Conformance, WavFileAndStandardOutputCarryTheSameSamples) {
    const fs::path stream = kCorpus / "encoded/l2_22k_mono64_crc_music.mp2";
    if (!fs::exists(stream)) GTEST_SKIP() << "the conformance corpus is not at " << kCorpus;
    fs::create_directories(kOut);
    fs::path raw = kOut / "format.raw", wav = kOut / "format.WAV", piped = kOut / "format.stdout";
    fs::path errors = kOut / "format.stderr";
    ASSERT_EQ(run_decoder(stream, raw.string(), errors).exit_code, 0);
    ASSERT_EQ(run_decoder(stream, wav.string(), errors).exit_code, 0);
    ASSERT_EQ(run_decoder(stream, "-", errors, piped.string()).exit_code, 0);
    std::string raw_bytes = read_text(raw), wav_bytes = read_text(wav);
    EXPECT_EQ(read_text(piped), raw_bytes);
    ASSERT_EQ(wav_bytes.size(), raw_bytes.size() + 44);
    EXPECT_EQ(wav_bytes.substr(44), raw_bytes);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(wav_bytes[at])) |
               std::uint32_t(std::uint8_t(wav_bytes[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(wav_bytes[at + 2])) << 16 |
               std::uint32_t(std::uint8_t(wav_bytes[at + 3])) << 24;
    };
    EXPECT_EQ(wav_bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32(4), raw_bytes.size() + 36);
    EXPECT_EQ(wav_bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32(22) & 0xFFFF, 1u);  // channels
    EXPECT_EQ(u32(24), 22050u);       // sampling frequency
    EXPECT_EQ(u32(40), raw_bytes.size());
}

TEST(Conformance, NothingDecodedEndsWithAnErrorStatus) {
    fs::create_directories(kOut);
    fs::path text = kOut / "not-audio.mp3";
    std::ofstream(text) << std::string(3000, 'x');
    fs::path errors = kOut / "not-audio.stderr";
    Decode d = run_decoder(text, (kOut / "not-audio.pcm").string(), errors);
    EXPECT_EQ(d.exit_code, 1);
    EXPECT_NE(d.errors.find("File format error: No header found!"), std::string::npos) << d.errors;
    Decode missing = run_decoder(kOut / "no-such-file.mp3", (kOut / "x.pcm").string(), errors);
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_NE(missing.errors.find("Invalid handle: Error opening file: "), std::string::npos);
}
