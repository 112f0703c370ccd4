// The open MPEG audio file: sync search with the loose and strict tests, frame bodies, bits.
#include "mpeg/mpeg_stream.h"

#include <cstring>
#include <string>

namespace {

std::uint32_t byte_swap(std::uint32_t w) {
    return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
}

}  // namespace

MpegStream::~MpegStream() {
    if (file_ != nullptr && file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool MpegStream::open(const char* file_name) {
    SECURITY_ATTRIBUTES security{12, nullptr, 0};
    file_ =
        CreateFileA(file_name, GENERIC_READ, FILE_SHARE_READ, &security, OPEN_EXISTING, 0, nullptr);
    bit_offset_ = 0;
    buffer_pos_ = buffer_end_ = 0;
    read_failed_ = false;
    searched_ = 0;
    if (file_ == INVALID_HANDLE_VALUE) {
        std::string text = std::string("Error opening file: ") + (file_name ? file_name : "");
        MessageBoxA(nullptr, text.c_str(), "Invalid handle", MB_OK);
        return false;
    }
    // An ID3v2 tag: "ID3", two version bytes (never 0xFF), flags, a sync-safe size (each byte
    // below 0x80), then the tag and a 10-byte footer when flag bit 4 says so. Its text may hold
    // byte pairs that the loose sync test would take for a frame header.
    if (fill(10)) {
        const std::uint8_t* b = buffer_ + buffer_pos_;
        if (b[0] == 'I' && b[1] == 'D' && b[2] == '3' && b[3] != 0xFF && b[4] != 0xFF &&
            (b[6] | b[7] | b[8] | b[9]) < 0x80) {
            long size = (long{b[6]} << 21) | (long{b[7]} << 14) | (long{b[8]} << 7) | b[9];
            long skip = 10 + size + ((b[5] & 0x10) ? 10 : 0);
            long in_buffer = buffer_end_ - buffer_pos_;
            if (skip <= in_buffer) {
                buffer_pos_ += static_cast<int>(skip);
            } else {
                buffer_pos_ = buffer_end_ = 0;
                SetFilePointer(file_, static_cast<LONG>(skip - in_buffer), nullptr, FILE_CURRENT);
            }
        }
    }
    return true;
}

bool MpegStream::fill(int needed) {
    if (buffer_end_ - buffer_pos_ >= needed) return true;
    if (read_failed_ || file_ == nullptr || file_ == INVALID_HANDLE_VALUE) return false;
    int kept = buffer_end_ - buffer_pos_;
    std::memmove(buffer_, buffer_ + buffer_pos_, static_cast<std::size_t>(kept));
    buffer_pos_ = 0;
    buffer_end_ = kept;
    while (buffer_end_ < needed) {
        DWORD got = 0;
        BOOL ok = ReadFile(file_, buffer_ + buffer_end_,
                           static_cast<DWORD>(kBufferSize - buffer_end_), &got, nullptr);
        buffer_end_ += static_cast<int>(got);
        if (!ok) read_failed_ = true;
        if (!ok || got == 0) break;
    }
    return buffer_end_ >= needed;
}

void MpegStream::give_up() {
    buffer_pos_ = buffer_end_;
    read_failed_ = true;
}

bool MpegStream::read_header_word(std::uint32_t& word, bool strict) {
    if (stop_query_ && stop_query_()) {
        give_up();
        return false;
    }
    for (;;) {
        // Bytes that hold no frame where one should be are not searched to their end: a huge
        // file of anything else would keep the player busy for as long as it takes to read.
        if (searched_ > kMaxSearchBytes) {
            give_up();
            return false;
        }
        if (searched_ > 0 && searched_ % kStopQueryInterval == 0 && stop_query_ && stop_query_()) {
            give_up();
            return false;
        }
        if (!fill(4)) {
            buffer_pos_ = buffer_end_;
            return false;
        }
        const std::uint8_t* b = buffer_ + buffer_pos_;
        std::uint32_t w = std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) |
                          (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
        bool accepted;
        if (strict) {
            bool single = (w & 0xC0000000u) == 0xC0000000u;
            accepted = (w & 0x000CF8FFu) == sync_pattern_ && single == sync_single_channel_;
        } else {
            accepted = (w & 0xF0FFu) == 0xF0FFu;
        }
        if (accepted) {
            buffer_pos_ += 4;
            word = byte_swap(w);
            return true;
        }
        // The search slides one byte at a time.
        ++buffer_pos_;
        ++searched_;
    }
}

void MpegStream::reject_header() {
    buffer_pos_ -= 3;
    ++searched_;
}

bool MpegStream::read_body(int length) {
    if (length < 0 || length > kBodyWords * 4) return false;
    bool complete = fill(length);
    int got = complete ? length : buffer_end_ - buffer_pos_;
    const std::uint8_t* b = buffer_ + buffer_pos_;
    buffer_pos_ += got;
    searched_ = 0;
    body_length_ = length;
    bit_offset_ = 0;
    if (!complete) return false;
    int words = length / 4;
    for (int i = 0; i < words; ++i, b += 4) {
        body_[i] = (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
                   (std::uint32_t{b[2]} << 8) | b[3];
    }
    if (int rest = length % 4) {
        std::uint32_t w = 0;
        for (int k = 0; k < rest; ++k) w |= std::uint32_t{b[k]} << (24 - 8 * k);
        body_[words] = w;
    }
    return true;
}

void MpegStream::get_bytes(std::uint8_t* out, int n) {
    if (bit_offset_ % 8 != 0) {
        for (int i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(get_bits(8));
        return;
    }
    int k = bit_offset_ / 8;
    int end = k + n;
    int limit = kBodyWords * 4;
    for (; k < end && k < limit; ++k) {
        *out++ = static_cast<std::uint8_t>(body_[k >> 2] >> (24 - 8 * (k & 3)));
    }
    for (; k < end; ++k) *out++ = 0;
    bit_offset_ = (end < limit ? end : limit) * 8;
}

void MpegStream::set_sync_pattern(std::uint32_t header) {
    // Only the bits the strict test compares: sync, version and sampling frequency. The mode
    // is compared through the single-channel flag alone, so that a joint-stereo frame may
    // follow a stereo one.
    sync_pattern_ = byte_swap(header & 0xFFF80CC0u) & 0x000CF8FFu;
    sync_single_channel_ = (header & 0xC0u) == 0xC0u;
}
