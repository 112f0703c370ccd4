// The open MPEG audio file: the sync search, the frame body and the bit reader over it.
#pragma once

#include <cstdint>

#include "platform/system/file_io.h"

class MpegStream {
public:
    static constexpr int kBodyWords = 433;  // 1732 bytes, the longest frame body

    MpegStream() = default;
    ~MpegStream();
    MpegStream(const MpegStream&) = delete;
    MpegStream& operator=(const MpegStream&) = delete;

    // Opens the file for reading and skips an ID3v2 tag at its start. On failure shows
    // "Error opening file: <name>" / "Invalid handle" and keeps the invalid handle, so that
    // the first read fails.
    bool open(const char* file_name);

    // The sync search: the next four bytes that pass the loose (first frame) or strict test,
    // as a big-endian number with the sync in bits 31..20.
    bool read_header_word(std::uint32_t& word, bool strict);
    // Gives up the header just found and lets the next search start one byte after it.
    void reject_header();
    // Reads a frame body of length bytes into the body words.
    bool read_body(int length);
    // The next n bits of the body, most significant first, 1 <= n <= 16. Reading past the body
    // words gives zeros.
    unsigned get_bits(int n) {
        int a = bit_position_ + n;
        std::uint32_t word = body_[read_word_];
        if (a <= 32) {
            unsigned v = (word >> (32 - a)) & ((1u << n) - 1u);
            if (a == 32) {
                advance_word();
                bit_position_ = 0;
            } else {
                bit_position_ = a;
            }
            return v;
        }
        std::uint32_t joined = (word << 16) | (body_[read_word_ + 1] >> 16);
        advance_word();
        bit_position_ = a - 32;
        return (joined >> (48 - a)) & ((1u << n) - 1u);
    }
    // Copies n whole bytes of the body from the current position, which must be byte aligned
    // (the layer III main data), as n calls of get bits(8) would.
    void get_bytes(std::uint8_t* out, int n);
    // Stores the strict test's pattern from the first accepted header (big-endian).
    void set_sync_pattern(std::uint32_t header);

    int body_length() const { return body_length_; }

private:
    void advance_word() {
        if (read_word_ < kBodyWords) ++read_word_;
    }
    bool fill(int needed);

    HANDLE file_ = nullptr;
    // Two zero guard words after the body keep every read inside the array.
    std::uint32_t body_[kBodyWords + 2] = {};
    int body_length_ = 0;
    int read_word_ = 0;
    int bit_position_ = 0;
    std::uint32_t sync_pattern_ = 0;
    bool sync_single_channel_ = false;

    // Read-ahead: the file is read in large blocks; the sync search steps back within them.
    static constexpr int kBufferSize = 1 << 16;
    std::uint8_t buffer_[kBufferSize];
    int buffer_pos_ = 0;
    int buffer_end_ = 0;
    bool read_failed_ = false;
};
