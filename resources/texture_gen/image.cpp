// Colour ramps and soft star sprites for the procedural pictures.
#include "resources/texture_gen/image.h"

Rgb ramp(const std::vector<Stop>& stops, float t) {
    if (t <= stops.front().at) return stops.front().color;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const float k = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return mix(stops[i - 1].color, stops[i].color, smoothstep(0.0f, 1.0f, k));
        }
    }
    return stops.back().color;
}

void add_star(Image& img, float cx, float cy, float radius, Rgb color, bool tile) {
    const int reach = static_cast<int>(std::ceil(radius * 4.0f)) + 1;
    const int x0 = static_cast<int>(std::floor(cx)), y0 = static_cast<int>(std::floor(cy));
    for (int y = y0 - reach; y <= y0 + reach; ++y) {
        for (int x = x0 - reach; x <= x0 + reach; ++x) {
            if (!tile && (x < 0 || y < 0 || x >= img.width || y >= img.height)) continue;
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float d2 = (dx * dx + dy * dy) / (radius * radius);
            // A bright core with a faint wide halo, as a star looks through a lens.
            const float k = std::exp(-d2 * 1.6f) + 0.06f * std::exp(-d2 * 0.12f);
            if (k < 0.002f) continue;
            img.add_wrapped(x, y, color * k);
        }
    }
}
