// Device-independent bitmaps to RGB pixels, with every read checked against the data's end.
#include "platform/dialogs/dib.h"

#include <cstdlib>

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::int32_t kMaxSide = 16384;

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

bool decode_dib(std::span<const std::uint8_t> bits, RgbImage* image) {
    if (!image || bits.size() < 40) return false;
    const std::uint32_t header = u32(bits, 0);
    if (header < 40 || header > bits.size()) return false;
    const auto width = static_cast<std::int32_t>(u32(bits, 4));
    const auto height = static_cast<std::int32_t>(u32(bits, 8));
    const std::uint16_t planes = u16(bits, 12);
    const std::uint16_t depth = u16(bits, 14);
    const std::uint32_t compression = u32(bits, 16);
    std::uint32_t colours = u32(bits, 32);
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide ||
        planes != 1 || compression != kBiRgb) {
        return false;
    }
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return false;
    if (depth <= 8) {
        const std::uint32_t most = 1u << depth;
        if (colours == 0) colours = most;
        if (colours > most) return false;
    } else {
        colours = 0;
    }
    const std::size_t palette_at = header;
    const std::size_t rows_at = palette_at + std::size_t{colours} * 4;
    const std::size_t rows = static_cast<std::size_t>(std::abs(height));
    const std::size_t stride = ((static_cast<std::size_t>(width) * depth + 31) / 32) * 4;
    if (rows_at > bits.size() || (bits.size() - rows_at) / stride < rows) return false;

    image->width = width;
    image->height = static_cast<int>(rows);
    image->rgb.assign(static_cast<std::size_t>(width) * rows * 3, 0);
    const bool bottom_up = height > 0;
    for (std::size_t y = 0; y < rows; ++y) {
        const std::size_t src_row = bottom_up ? rows - 1 - y : y;
        const std::uint8_t* row = bits.data() + rows_at + src_row * stride;
        std::uint8_t* out = image->rgb.data() + y * static_cast<std::size_t>(width) * 3;
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, out += 3) {
            if (depth >= 24) {
                const std::uint8_t* p = row + x * (depth / 8);
                out[0] = p[2];
                out[1] = p[1];
                out[2] = p[0];
                continue;
            }
            const std::size_t bit = x * depth;
            const unsigned shift = 8 - depth - static_cast<unsigned>(bit % 8);
            const std::uint32_t index = (row[bit / 8] >> shift) & ((1u << depth) - 1);
            if (index >= colours) return false;
            const std::uint8_t* q = bits.data() + palette_at + index * 4;
            out[0] = q[2];
            out[1] = q[1];
            out[2] = q[0];
        }
    }
    return true;
}
