// Helpers for the decoder tests: bit writers, frame builders, temporary files, a recording output.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "mpeg/header_tables.h"
#include "mpeg/pcm_output.h"

namespace mpeg_test {

using Bytes = std::vector<std::uint8_t>;

// Appends bits most significant first.
class BitWriter {
public:
    void put(std::uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i) put_bit((value >> i) & 1u);
    }
    void put_bits(const std::string& bits) {
        for (char c : bits) put_bit(c == '1');
    }
    void put_bit(bool bit) {
        if (count_ % 8 == 0) bytes_.push_back(0);
        if (bit) bytes_.back() |= static_cast<std::uint8_t>(0x80u >> (count_ % 8));
        ++count_;
    }
    int bit_count() const { return count_; }
    Bytes bytes() const { return bytes_; }

private:
    Bytes bytes_;
    int count_ = 0;
};

struct HeaderFields {
    int version = 1;         // 1 = MPEG-1, 0 = lower sampling frequencies
    int layer = 2;           // 1..3, or 0 for the reserved layer bits
    int protection_bit = 1;  // 0 = CRC follows
    int bitrate_index = 8;
    int sampling_frequency = 0;
    int padding = 0;
    int mode = 0;
    int mode_extension = 0;
};

inline std::uint32_t header_word(const HeaderFields& h) {
    std::uint32_t w = 0xFFF00000u;
    w |= std::uint32_t(h.version) << 19;
    w |= std::uint32_t((4 - h.layer) & 3) << 17;
    w |= std::uint32_t(h.protection_bit) << 16;
    w |= std::uint32_t(h.bitrate_index) << 12;
    w |= std::uint32_t(h.sampling_frequency) << 10;
    w |= std::uint32_t(h.padding) << 9;
    w |= std::uint32_t(h.mode) << 6;
    w |= std::uint32_t(h.mode_extension) << 4;
    return w;
}

inline void append_word(Bytes& out, std::uint32_t w) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(w >> s));
}

// Total frame length in bytes for a header (the lengths of ISO/IEC 11172-3 and 13818-3).
inline int frame_length(const HeaderFields& h) {
    long br = kBitrates[h.version][h.layer][h.bitrate_index];
    long fs = kSamplingFrequencies[h.version][h.sampling_frequency];
    if (h.layer == 1) return static_cast<int>((12 * br / fs + h.padding) * 4);
    long k = (h.layer == 3 && h.version == 0) ? 72 : 144;
    return static_cast<int>(k * br / fs + h.padding);
}

// A frame: header, then the body bytes, zero-padded (or cut) to the frame's length.
inline Bytes frame(const HeaderFields& h, const Bytes& body = {}) {
    Bytes out;
    append_word(out, header_word(h));
    Bytes b = body;
    b.resize(static_cast<std::size_t>(frame_length(h) - 4), 0);
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

// The CRC-16 of ISO/IEC 11172-3 over a string of bits, computed independently of Crc16.
inline std::uint16_t crc_of_bits(const std::vector<int>& bits) {
    std::uint32_t reg = 0xFFFF;
    for (int bit : bits) {
        bool top = (reg & 0x8000) != 0;
        reg = (reg << 1) & 0xFFFF;
        if (top != (bit != 0)) reg ^= 0x8005;
    }
    return static_cast<std::uint16_t>(reg);
}

// A file in the temporary folder, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes) {
        static int counter = 0;
        path_ = (std::filesystem::temp_directory_path() /
                 ("lumivex-mpeg-test-" + std::to_string(::getpid()) + "-" +
                  std::to_string(counter++) + ".bin"))
                    .string();
        std::ofstream f(path_, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
    }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// Records every call in order.
class RecordingOutput final : public PcmOutput {
public:
    void put_sample(int channel, int value) override {
        samples[channel].push_back(value);
        calls.push_back(channel);
    }
    void frame_done(int flag) override {
        ++frames_done;
        last_flag = flag;
    }
    void set_stopped() override { stopped = true; }

    std::vector<int> samples[2];
    std::vector<int> calls;  // channel of each put sample, in order
    int frames_done = 0;
    int last_flag = 0;
    bool stopped = false;
};

}  // namespace mpeg_test

#include <map>

#include "mpeg/huffman_tables.h"

namespace mpeg_test {

// Every codeword of a tree, by leaf value, found by walking the tree (hops included).
inline std::map<int, std::string> codewords_of(const HuffmanTable& table) {
    std::map<int, std::string> words;
    struct Walker {
        const HuffmanTable& t;
        std::map<int, std::string>& words;
        void visit(int i, const std::string& prefix) {
            if (t.tree[i].a == 0) {
                words[t.tree[i].b] = prefix;
                return;
            }
            for (int side = 0; side < 2; ++side) {
                int j = i;
                int d = side ? t.tree[j].b : t.tree[j].a;
                while (d >= kHuffmanHop) {
                    j += d;
                    d = side ? t.tree[j].b : t.tree[j].a;
                }
                visit(j + d, prefix + static_cast<char>('0' + side));
            }
        }
    };
    if (table.tree_length > 0) Walker{table, words}.visit(0, "");
    return words;
}

}  // namespace mpeg_test
