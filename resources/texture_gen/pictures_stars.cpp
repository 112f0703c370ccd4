// The three big-star images and the three textures nothing draws.
#include <cmath>

#include "resources/texture_gen/noise.h"
#include "resources/texture_gen/pictures.h"

namespace {

constexpr float kTau = 6.2831853f;

template <typename F>
Image paint(F f) {
    Image img(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            img.at(x, y) = clamp01(f((x + 0.5f) / kSize, (y + 0.5f) / kSize));
        }
    }
    return img;
}

}  // namespace

Image picture_star_glow(Rgb core, Rgb glow, unsigned seed) {
    return paint([&](float u, float v) {
        // The disc drawn with this image spans the inscribed circle: r = 1 at its rim, where the
        // vertex alpha has already faded to nothing. The colour stays luminous out to the rim
        // so the fading disc never darkens what lies behind it.
        const float x = 2 * u - 1, y = 2 * v - 1;
        const float r = std::sqrt(x * x + y * y);
        const float theta = std::atan2(y, x);
        const float centre = std::exp(-(r * r) / 0.006f);
        const float inner = std::exp(-(r * r) / 0.05f);
        const float halo = std::exp(-(r * r) / 0.35f);
        // Four long rays and four short ones, as a bright star shows through optics.
        const float ax = std::fabs(x), ay = std::fabs(y);
        const float rays = (std::exp(-ay / 0.012f) + std::exp(-ax / 0.012f)) *
                           std::pow(std::max(0.0f, 1 - r), 1.5f);
        const float dx = std::fabs(x - y) * 0.7071f, dy = std::fabs(x + y) * 0.7071f;
        const float diag = (std::exp(-dx / 0.01f) + std::exp(-dy / 0.01f)) *
                           std::pow(std::max(0.0f, 1 - 1.8f * r), 2.0f);
        // A soft, slowly varying corona so the rim is not a perfect circle.
        const float corona = 0.85f + 0.3f * noise2(theta / kTau * 12, r * 3, 12, 1 << 12, seed);
        Rgb c = glow * (0.32f + 0.55f * halo * corona);
        c = c + mix(glow, core, 0.5f) * (inner * 0.8f);
        c = c + core * (centre * 1.2f + rays * 0.9f + diag * 0.45f);
        return c;
    });
}

Image picture_aurora() {
    return paint([&](float u, float v) {
        const float w = fbm(u * 3, v * 2, 4, 5, 101);
        const float curtain = std::exp(-std::pow((v - 0.45f - 0.2f * w) * 5.0f, 2.0f));
        const float rays = 0.6f + 0.4f * std::sin(kTau * (u * 24 + w * 2));
        Rgb c = mix(hex(0x020612), hex(0x0B1B33), v);
        c = c + hex(0x2CFF9A) * (curtain * rays) + hex(0xB03CFF) * (curtain * curtain * 0.3f);
        return c;
    });
}

Image picture_ice() {
    return paint([&](float u, float v) {
        const float r = ridged(u * 4, v * 4, 4, 6, 111);
        const float base = fbm(u * 3, v * 3, 3, 4, 112) * 0.5f + 0.5f;
        return mix(hex(0x062038), hex(0x3C8CC0), base) + hex(0xE0FCFF) * std::pow(r, 8.0f);
    });
}

Image picture_ember() {
    return paint([&](float u, float v) {
        const float n = fbm(u * 5, v * 5, 5, 6, 121) * 0.5f + 0.5f;
        const float cracks = std::pow(ridged(u * 5, v * 5, 5, 4, 122), 10.0f);
        return hex(0x0C0200) + hex(0x5A1000) * n + hex(0xFF8A1C) * cracks;
    });
}
