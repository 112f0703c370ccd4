// Median-cut colour reduction with error diffusion.
#include "resources/dialogs/palette_quantizer.h"

#include <algorithm>
#include <cmath>

namespace {

using Rgb = std::array<std::uint8_t, 3>;

struct Box {
    std::vector<Rgb> pixels;
    double error = 0;  // sum of squared distances to the mean
    int widest = 0;    // the channel with the largest spread
};

Box make_box(std::vector<Rgb> pixels) {
    Box b;
    b.pixels = std::move(pixels);
    double sum[3] = {0, 0, 0}, sq[3] = {0, 0, 0};
    for (const Rgb& p : b.pixels) {
        for (int c = 0; c < 3; ++c) {
            sum[c] += p[c];
            sq[c] += static_cast<double>(p[c]) * p[c];
        }
    }
    const double n = static_cast<double>(b.pixels.size());
    double best = -1;
    for (int c = 0; c < 3; ++c) {
        const double var = n > 0 ? sq[c] - sum[c] * sum[c] / n : 0;
        b.error += var;
        if (var > best) {
            best = var;
            b.widest = c;
        }
    }
    return b;
}

Rgb mean(const Box& b) {
    double sum[3] = {0, 0, 0};
    for (const Rgb& p : b.pixels) {
        for (int c = 0; c < 3; ++c) sum[c] += p[c];
    }
    const double n = std::max<double>(1, static_cast<double>(b.pixels.size()));
    return {static_cast<std::uint8_t>(std::lround(sum[0] / n)),
            static_cast<std::uint8_t>(std::lround(sum[1] / n)),
            static_cast<std::uint8_t>(std::lround(sum[2] / n))};
}

int nearest(const std::vector<Rgb>& palette, float r, float g, float b) {
    int best = 0;
    float best_d = 1e30f;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const float dr = r - palette[i][0], dg = g - palette[i][1], db = b - palette[i][2];
        const float d = dr * dr * 0.3f + dg * dg * 0.59f + db * db * 0.11f;
        if (d < best_d) {
            best_d = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

}  // namespace

IndexedPicture quantize(const std::vector<std::uint8_t>& rgb, int width, int height, int colours,
                        float dither) {
    const std::size_t n = static_cast<std::size_t>(width) * height;
    std::vector<Rgb> all(n);
    for (std::size_t i = 0; i < n; ++i) all[i] = {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]};

    std::vector<Box> boxes;
    boxes.push_back(make_box(std::move(all)));
    while (static_cast<int>(boxes.size()) < colours) {
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->pixels.size() < 2 || worst->error <= 0) break;
        Box box = std::move(*worst);
        boxes.erase(worst);
        const int c = box.widest;
        auto middle = box.pixels.begin() + static_cast<std::ptrdiff_t>(box.pixels.size() / 2);
        std::nth_element(box.pixels.begin(), middle, box.pixels.end(),
                         [c](const Rgb& a, const Rgb& b) { return a[c] < b[c]; });
        std::vector<Rgb> low(box.pixels.begin(), middle), high(middle, box.pixels.end());
        boxes.push_back(make_box(std::move(low)));
        boxes.push_back(make_box(std::move(high)));
    }

    IndexedPicture out;
    for (const Box& b : boxes) out.palette.push_back(mean(b));
    // Dark colours first: the order does not matter to a bitmap, but it reads well in a dump.
    std::sort(out.palette.begin(), out.palette.end(),
              [](const Rgb& a, const Rgb& b) { return a[0] + a[1] + a[2] < b[0] + b[1] + b[2]; });

    // Floyd-Steinberg error diffusion, scaled by dither.
    std::vector<float> work(rgb.begin(), rgb.begin() + static_cast<std::ptrdiff_t>(n * 3));
    out.indices.resize(n);
    auto spread = [&](int x, int y, const float* err, float k) {
        if (x < 0 || x >= width || y >= height) return;
        float* p = &work[(static_cast<std::size_t>(y) * width + x) * 3];
        for (int c = 0; c < 3; ++c) p[c] += err[c] * k * dither;
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float* p = &work[(static_cast<std::size_t>(y) * width + x) * 3];
            const float r = std::clamp(p[0], 0.0f, 255.0f), g = std::clamp(p[1], 0.0f, 255.0f),
                        b = std::clamp(p[2], 0.0f, 255.0f);
            const int i = nearest(out.palette, r, g, b);
            out.indices[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(i);
            const Rgb& q = out.palette[static_cast<std::size_t>(i)];
            const float err[3] = {r - q[0], g - q[1], b - q[2]};
            spread(x + 1, y, err, 7.0f / 16);
            spread(x - 1, y + 1, err, 3.0f / 16);
            spread(x, y + 1, err, 5.0f / 16);
            spread(x + 1, y + 1, err, 1.0f / 16);
        }
    }
    return out;
}
