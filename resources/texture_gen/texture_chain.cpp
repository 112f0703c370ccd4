// Mipmaps by box filtering in linear light, RGB565 quantisation, 3DF layout.
#include "resources/texture_gen/texture_chain.h"

#include <cmath>
#include <string>

namespace {

float to_linear(float v) { return std::pow(std::clamp(v, 0.0f, 1.0f), 2.2f); }
float to_display(float v) { return std::pow(std::clamp(v, 0.0f, 1.0f), 1.0f / 2.2f); }

}  // namespace

std::vector<Image> mip_chain(const Image& top) {
    std::vector<Image> levels;
    Image linear(top.width, top.height);
    for (std::size_t i = 0; i < top.px.size(); ++i) {
        const Rgb c = top.px[i];
        linear.px[i] = {to_linear(c.r), to_linear(c.g), to_linear(c.b)};
    }
    std::vector<Image> linear_levels{linear};
    while (linear_levels.back().width > 1 || linear_levels.back().height > 1) {
        const Image& a = linear_levels.back();
        Image b(std::max(1, a.width / 2), std::max(1, a.height / 2));
        for (int y = 0; y < b.height; ++y) {
            for (int x = 0; x < b.width; ++x) {
                const int x0 = std::min(2 * x, a.width - 1), x1 = std::min(2 * x + 1, a.width - 1);
                const int y0 = std::min(2 * y, a.height - 1),
                          y1 = std::min(2 * y + 1, a.height - 1);
                b.at(x, y) = (a.at(x0, y0) + a.at(x1, y0) + a.at(x0, y1) + a.at(x1, y1)) * 0.25f;
            }
        }
        linear_levels.push_back(std::move(b));
    }
    for (const Image& l : linear_levels) {
        Image d(l.width, l.height);
        for (std::size_t i = 0; i < l.px.size(); ++i) {
            d.px[i] = {to_display(l.px[i].r), to_display(l.px[i].g), to_display(l.px[i].b)};
        }
        levels.push_back(std::move(d));
    }
    return levels;
}

std::vector<std::uint16_t> quantize_chain(const std::vector<Image>& levels) {
    std::vector<std::uint16_t> out;
    for (const Image& level : levels) {
        Image work = level;
        for (int y = 0; y < work.height; ++y) {
            for (int x = 0; x < work.width; ++x) {
                const Rgb c = clamp01(work.at(x, y));
                const int r = std::clamp(static_cast<int>(std::lround(c.r * 31)), 0, 31);
                const int g = std::clamp(static_cast<int>(std::lround(c.g * 63)), 0, 63);
                const int b = std::clamp(static_cast<int>(std::lround(c.b * 31)), 0, 31);
                out.push_back(static_cast<std::uint16_t>((r << 11) | (g << 5) | b));
                const Rgb err = c - Rgb{r / 31.0f, g / 63.0f, b / 31.0f};
                // Floyd-Steinberg weights.
                if (x + 1 < work.width) work.at(x + 1, y) = work.at(x + 1, y) + err * (7 / 16.0f);
                if (y + 1 < work.height) {
                    if (x > 0) work.at(x - 1, y + 1) = work.at(x - 1, y + 1) + err * (3 / 16.0f);
                    work.at(x, y + 1) = work.at(x, y + 1) + err * (5 / 16.0f);
                    if (x + 1 < work.width)
                        work.at(x + 1, y + 1) = work.at(x + 1, y + 1) + err * (1 / 16.0f);
                }
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> make_3df(const std::vector<std::uint16_t>& texels) {
    const std::string header = "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n";
    std::vector<std::uint8_t> out(header.begin(), header.end());
    out.reserve(header.size() + texels.size() * 2);
    for (std::uint16_t t : texels) {
        out.push_back(static_cast<std::uint8_t>(t >> 8));
        out.push_back(static_cast<std::uint8_t>(t & 255));
    }
    return out;
}
