// The layer III main-data reservoir: a ring of bytes that joins main data across frames.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

class MainDataReservoir {
public:
    static constexpr int kSize = 4096;

    void append_byte(int value) {
        ring_[write_index_] = static_cast<std::uint8_t>(value);
        // The first bytes are mirrored after the end so that a read never has to wrap.
        if (write_index_ < kMirror) ring_[kSize + write_index_] = static_cast<std::uint8_t>(value);
        write_index_ = (write_index_ + 1) & (kSize - 1);
    }
    void append_bytes(const std::uint8_t* bytes, int n) {
        for (int i = 0; i < n; ++i) append_byte(bytes[i]);
    }

    // The next n bits, most significant first (any n >= 0; the result keeps the low 32).
    unsigned read_bits(int n) {
        unsigned v = 0;
        while (n > 24) {
            v = (v << 24) | read_bits(24);
            n -= 24;
        }
        if (n == 0) return v;
        v = (v << n) | static_cast<unsigned>(peek() >> (64 - n));
        bits_ += n;
        return v;
    }
    int read_one_bit() { return static_cast<int>(read_bits(1)); }
    void rewind_bits(int n) { bits_ -= n; }
    void rewind_bytes(int n) { bits_ -= 8 * n; }
    void skip_bits(int n) { bits_ += n; }

    // The total count of bits read. It is also the read position: byte (bits / 8) mod 4096,
    // bit (bits mod 8) of it.
    int bits_read() const { return bits_; }
    void set_bits_read(int bits) { bits_ = bits; }

    // The 64 bits from bit position pos on, the first in bit 63; at least 57 are valid.
    std::uint64_t peek_at(int pos) const {
        std::uint64_t w;
        std::memcpy(&w, ring_ + ((pos >> 3) & (kSize - 1)), sizeof w);
        if constexpr (std::endian::native == std::endian::little) w = __builtin_bswap64(w);
        return w << (pos & 7);
    }
    std::uint64_t peek() const { return peek_at(bits_); }

private:
    static constexpr int kMirror = 8;
    std::uint8_t ring_[kSize + kMirror] = {};
    int write_index_ = 0;
    int bits_ = 0;
};
