// The open MPEG audio file: the sync search, the frame body and the bit reader over it.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "platform/system/file_io.h"

class MpegStream {
public:
    static constexpr int kBodyWords = 433;  // 1732 bytes, the longest frame body
    // The sync search gives up after passing over this many bytes without finding a frame: from
    // the start of the file (after an ID3v2 tag) for the first frame, from the end of the frame
    // before for the others. A real stream needs none, or a few bytes of padding or a short tag;
    // 64 KiB is over 37 of the longest frames. Bytes of rejected candidate headers count too.
    static constexpr long kMaxSearchBytes = 64 * 1024;
    // How often, in bytes passed over, the search asks whether it should stop.
    static constexpr long kStopQueryInterval = 4096;

    // Answers true once whoever reads the stream wants it to stop (the player's stop request).
    using StopQuery = std::function<bool()>;

    MpegStream() = default;
    ~MpegStream();
    MpegStream(const MpegStream&) = delete;
    MpegStream& operator=(const MpegStream&) = delete;

    // Opens the file for reading and skips an ID3v2 tag at its start. On failure shows
    // "Error opening file: <name>" / "Invalid handle" and keeps the invalid handle, so that
    // the first read fails.
    bool open(const char* file_name);

    // The sync search: the next four bytes that pass the loose (first frame) or strict test,
    // as a big-endian number with the sync in bits 31..20. False at the end of the file, after
    // kMaxSearchBytes without a frame, or when the stop query answers true (it is asked before
    // the search and every kStopQueryInterval bytes); the stream then reads nothing more.
    bool read_header_word(std::uint32_t& word, bool strict);
    // The question the sync search asks; none by default.
    void set_stop_query(StopQuery query) { stop_query_ = std::move(query); }
    // Gives up the header just found and lets the next search start one byte after it.
    void reject_header();
    // Reads a frame body of length bytes into the body words.
    bool read_body(int length);
    // The next n bits of the body, most significant first, 1 <= n <= 16. Reading past the body
    // words gives zeros.
    unsigned get_bits(int n) {
        // The read word is bit_offset_ / 32 and the bit position in it bit_offset_ % 32; the
        // bits are taken from the read word and the next one as one 64-bit value.
        int word = bit_offset_ >> 5;
        std::uint64_t two = (std::uint64_t{body_[word]} << 32) | body_[word + 1];
        unsigned v = static_cast<unsigned>((two << (bit_offset_ & 31)) >> (64 - n));
        bit_offset_ += n;
        if (bit_offset_ > kBodyWords * 32) bit_offset_ = kBodyWords * 32;
        return v;
    }
    // Copies n whole bytes of the body from the current position, which must be byte aligned
    // (the layer III main data), as n calls of get bits(8) would.
    void get_bytes(std::uint8_t* out, int n);
    // Stores the strict test's pattern from the first accepted header (big-endian).
    void set_sync_pattern(std::uint32_t header);

    int body_length() const { return body_length_; }

private:
    bool fill(int needed);
    void give_up();

    HANDLE file_ = nullptr;
    // Two zero guard words after the body keep every read inside the array.
    std::uint32_t body_[kBodyWords + 2] = {};
    int body_length_ = 0;
    int bit_offset_ = 0;  // bits of the body already read
    std::uint32_t sync_pattern_ = 0;
    bool sync_single_channel_ = false;

    // Read-ahead: the file is read in large blocks; the sync search steps back within them.
    static constexpr int kBufferSize = 1 << 16;
    std::uint8_t buffer_[kBufferSize];
    int buffer_pos_ = 0;
    int buffer_end_ = 0;
    bool read_failed_ = false;

    // Bytes the sync search has passed over since the stream's start or the last frame body.
    long searched_ = 0;
    StopQuery stop_query_;
};
