// The CRC-16 register of protected MPEG audio frames (generator x^16 + x^15 + x^2 + 1).
#pragma once

#include <cstdint>

struct Crc16 {
    std::uint16_t reg = 0xFFFF;

    // Feeds the n low bits of value, most significant first.
    void add_bits(unsigned value, int n) {
        for (int i = n - 1; i >= 0; --i) {
            unsigned bit = (value >> i) & 1u;
            unsigned top = (reg >> 15) & 1u;
            reg = static_cast<std::uint16_t>(reg << 1);
            if (top != bit) reg ^= 0x8005;
        }
    }
};
