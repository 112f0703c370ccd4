// The nine background pictures.
#include <cmath>
#include <utility>

#include "resources/texture_gen/noise.h"
#include "resources/texture_gen/pictures.h"

namespace {

constexpr float kTau = 6.2831853f;

// Runs f(u, v) for every texel, u and v in [0, 1) at texel centres.
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

// Scatters `count` stars; brightness falls off like a real sky's (few bright, many faint).
void scatter_stars(Image& img, int count, unsigned seed, bool tile, float brightness) {
    Rng rng(seed);
    const Rgb tints[] = {hex(0xCFDFFF), hex(0xFFFFFF), hex(0xFFF1D8), hex(0xFFD2A0), hex(0xB8CCFF)};
    for (int i = 0; i < count; ++i) {
        const float x = rng.uniform() * kSize, y = rng.uniform() * kSize;
        const float m = std::pow(rng.uniform(), 5.0f);
        const Rgb tint = tints[rng.next() % 5];
        add_star(img, x, y, 0.45f + 1.3f * m, tint * (brightness * (0.25f + 1.6f * m)), tile);
    }
}

// Domain-warped noise: the noise sampled at positions pushed around by more noise, which turns
// plain blobs into the folded, streaming shapes of gas clouds.
float warped(float u, float v, int period, unsigned seed, float strength) {
    const float p = static_cast<float>(period);
    const float qx = fbm(u * p, v * p, period, 4, seed + 1);
    const float qy = fbm(u * p + 5.2f, v * p + 1.3f, period, 4, seed + 2);
    const float rx =
        fbm(u * p + strength * qx + 1.7f, v * p + strength * qy + 9.2f, period, 5, seed + 3);
    const float ry =
        fbm(u * p + strength * qx + 8.3f, v * p + strength * qy + 2.8f, period, 5, seed + 4);
    return fbm(u * p + strength * rx, v * p + strength * ry, period, 6, seed + 5);
}

// Adds a glowing line from a to b: a thin white-hot core inside a wide violet glow.
void add_segment(Image& img, float ax, float ay, float bx, float by, float width) {
    const int reach = static_cast<int>(std::ceil(14 * width)) + 1;
    const int x0 = static_cast<int>(std::floor(std::min(ax, bx))) - reach;
    const int x1 = static_cast<int>(std::ceil(std::max(ax, bx))) + reach;
    const int y0 = static_cast<int>(std::floor(std::min(ay, by))) - reach;
    const int y1 = static_cast<int>(std::ceil(std::max(ay, by))) + reach;
    const float dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy + 1e-6f;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float px = x + 0.5f - ax, py = y + 0.5f - ay;
            const float t = std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f);
            const float ex = px - t * dx, ey = py - t * dy;
            const float d2 = (ex * ex + ey * ey) / (width * width);
            const Rgb c = hex(0xF4F6FF) * (0.9f * std::exp(-d2 * 1.4f)) +
                          hex(0x7E6CFF) * (0.16f * std::exp(-d2 / 14.0f)) +
                          hex(0x3A2CB0) * (0.05f * std::exp(-d2 / 90.0f));
            img.add_wrapped(x, y, c);
        }
    }
}

// A jagged bolt by repeated midpoint displacement, with forks that are thinner and shorter.
void add_bolt(Image& img, Rng& rng, float ax, float ay, float bx, float by, float width,
              int depth) {
    std::vector<std::pair<float, float>> pts = {{ax, ay}, {bx, by}};
    float jitter = std::hypot(bx - ax, by - ay) * 0.22f;
    for (int pass = 0; pass < 6; ++pass, jitter *= 0.55f) {
        std::vector<std::pair<float, float>> next;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
            next.push_back(pts[i]);
            const float mx = (pts[i].first + pts[i + 1].first) / 2;
            const float my = (pts[i].second + pts[i + 1].second) / 2;
            next.emplace_back(mx + (rng.uniform() - 0.5f) * 2 * jitter,
                              my + (rng.uniform() - 0.5f) * 2 * jitter);
        }
        next.push_back(pts.back());
        pts = std::move(next);
    }
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        add_segment(img, pts[i].first, pts[i].second, pts[i + 1].first, pts[i + 1].second, width);
        if (depth > 0 && rng.uniform() < 0.045f) {
            const float angle = std::atan2(by - ay, bx - ax) + (rng.uniform() - 0.5f) * 2.2f;
            const float len = std::hypot(bx - ax, by - ay) * (0.2f + 0.3f * rng.uniform());
            add_bolt(img, rng, pts[i].first, pts[i].second, pts[i].first + std::cos(angle) * len,
                     pts[i].second + std::sin(angle) * len, width * 0.6f, depth - 1);
        }
    }
}

}  // namespace

Image picture_lightning() {
    const std::vector<Stop> sky = {
        {0.0f, hex(0x010006)}, {0.5f, hex(0x08041C)}, {0.8f, hex(0x1A0E48)}, {1.0f, hex(0x342070)}};
    Image img = paint([&](float u, float v) {
        const float clouds = fbm(u * 4, v * 4, 4, 6, 11) * 0.5f + 0.5f;
        return ramp(sky, clouds);
    });
    Rng rng(14);
    for (int i = 0; i < 7; ++i) {
        const float ax = rng.uniform() * kSize, ay = rng.uniform() * kSize;
        const float angle = rng.uniform() * kTau;
        const float len = 110 + 90 * rng.uniform();
        add_bolt(img, rng, ax, ay, ax + std::cos(angle) * len, ay + std::sin(angle) * len,
                 0.9f + 0.5f * rng.uniform(), 2);
    }
    for (Rgb& c : img.px) c = clamp01(c);
    return img;
}

Image picture_clouds() {
    return paint([&](float u, float v) {
        // A deep evening sky, brighter towards the horizon at the bottom.
        Rgb sky = mix(hex(0x0A1A48), hex(0x3C6DB4), std::pow(v, 1.4f));
        sky = mix(sky, hex(0xE7A07A), smoothstep(0.72f, 1.0f, v) * 0.55f);
        const float n = fbm(u * 3, v * 4.5f, 8, 6, 21, 0.52f);
        const float cover = smoothstep(-0.15f, 0.55f, n + 0.25f * (v - 0.3f));
        // Light comes from above: compare with the density a little higher up.
        const float above = fbm(u * 3, (v - 0.025f) * 4.5f, 8, 6, 21, 0.52f);
        const float lit = std::clamp(0.6f + (n - above) * 3.0f, 0.0f, 1.0f);
        const Rgb cloud = mix(hex(0x4B5878), hex(0xFFF8F0), lit);
        const Rgb rim = hex(0xFFD8B0) * (smoothstep(0.0f, 0.25f, cover) *
                                         (1 - smoothstep(0.25f, 0.6f, cover)) * 0.25f);
        return mix(sky, cloud, cover) + rim;
    });
}

Image picture_white_nebula() {
    Image img = paint([&](float u, float v) {
        // Soft billows from gently warped noise, threaded with bright filaments, gathered
        // towards the middle of the picture.
        const float wx = fbm(u * 2, v * 2, 2, 3, 30) * 0.35f;
        const float wy = fbm(u * 2 + 4.1f, v * 2 + 2.3f, 2, 3, 34) * 0.35f;
        const float billow = fbm((u + wx) * 3, (v + wy) * 3, 3, 6, 31, 0.55f);
        const float threads = std::pow(ridged((u + wx) * 4, (v + wy) * 4, 4, 5, 32), 5.0f);
        const float dx = u - 0.5f, dy = (v - 0.5f) * 1.2f;
        const float fall = std::exp(-(dx * dx + dy * dy) * 6.0f);
        const float density = std::clamp((billow * 0.6f + 0.45f) * fall * 1.5f, 0.0f, 1.2f);
        Rgb c = hex(0x020308);
        c = c + hex(0x2A3350) * smoothstep(0.05f, 0.5f, density);
        c = c + hex(0xAFC0E6) * (smoothstep(0.35f, 1.0f, density) * 0.9f);
        c = c + hex(0xFFFFFF) * (threads * fall * 0.9f);
        c = c + hex(0x5A2440) * (smoothstep(0.1f, 0.4f, density) *
                                 (1 - smoothstep(0.5f, 0.9f, density)) * 0.6f);
        return c;
    });
    scatter_stars(img, 260, 33, false, 0.9f);
    return img;
}

Image picture_spiral_vortex() {
    const std::vector<Stop> bands = {{0.0f, hex(0x07001A)},  {0.3f, hex(0x3A0A78)},
                                     {0.55f, hex(0x9B2CF0)}, {0.75f, hex(0x2FC8F5)},
                                     {0.92f, hex(0xD8FAFF)}, {1.0f, hex(0xFFFFFF)}};
    return paint([&](float u, float v) {
        // Stripes slanted across the texture become helices on the tunnel wall.
        const float w = fbm(u * 4, v * 4, 4, 5, 41);
        const float phase = kTau * (2 * u + 3 * v) + 2.2f * w;
        const float s1 = 0.5f + 0.5f * std::sin(phase);
        const float s2 = 0.5f + 0.5f * std::sin(kTau * (5 * u - 1 * v) + 1.5f * w);
        const float t = std::pow(s1, 1.6f) * (0.75f + 0.25f * s2);
        const float sparkle = std::pow(std::max(0.0f, fbm(u * 16, v * 16, 16, 3, 42)), 3.0f);
        return ramp(bands, t) + hex(0xFFFFFF) * (sparkle * t * 0.8f);
    });
}

Image picture_spiral_galaxy() {
    Image img = paint([&](float u, float v) {
        // Tilt the disc a little and rotate it, so it does not face the viewer squarely.
        const float x0 = u - 0.5f, y0 = v - 0.5f;
        const float ca = std::cos(0.5f), sa = std::sin(0.5f);
        const float x = ca * x0 - sa * y0, y = (sa * x0 + ca * y0) / 0.72f;
        const float r = std::sqrt(x * x + y * y) + 1e-4f;
        const float theta = std::atan2(y, x);
        const float n = fbm(u * 6, v * 6, 6, 5, 51) * 0.6f;
        const float arm_phase = 2 * theta - 5.2f * std::log(r) + n;
        const float arms = std::pow(0.5f + 0.5f * std::cos(arm_phase), 2.5f);
        const float dust = std::pow(0.5f + 0.5f * std::cos(arm_phase + 0.9f), 6.0f);
        const float disc = std::exp(-r / 0.16f);
        const float bulge = std::exp(-(r * r) / 0.006f);
        const float core = std::exp(-(r * r) / 0.0008f);
        const float clumps = std::pow(std::max(0.0f, fbm(u * 20, v * 20, 20, 3, 52)), 2.0f);
        Rgb c = hex(0x01010A);
        c = c + hex(0x2B3F8C) * (disc * 0.9f);
        c = c + hex(0x9CC0FF) * (arms * disc * 1.7f);
        c = c + hex(0xFF6FA8) * (arms * disc * clumps * 2.4f);
        c = c * (1.0f - 0.6f * dust * smoothstep(0.03f, 0.12f, r));
        c = c + hex(0xFFD9A0) * (bulge * 1.1f) + hex(0xFFFFFF) * core;
        return c;
    });
    scatter_stars(img, 220, 53, false, 0.8f);
    return img;
}

Image picture_colored_plasma() {
    return paint([&](float u, float v) {
        const float w = fbm(u * 2, v * 2, 2, 4, 61) * 0.6f;
        const float p = std::sin(kTau * (u * 2) + w * 3) + std::sin(kTau * (v * 3) + w * 2) +
                        std::sin(kTau * (u + v) * 2 + w) + std::sin(kTau * (3 * u - 2 * v) + w * 4);
        const float t = p * 0.125f + 0.5f;
        const float k = kTau * (t * 1.5f);
        const Rgb hue = {0.5f + 0.5f * std::cos(k), 0.5f + 0.5f * std::cos(k - 2.1f),
                         0.5f + 0.5f * std::cos(k - 4.2f)};
        // Brighter crests, darker troughs, so it reads as glowing plasma and not a flat rainbow.
        const float lum = 0.55f + 0.45f * std::sin(kTau * t * 3);
        return hue * (0.35f + 0.75f * lum);
    });
}

Image picture_red_clouds() {
    const std::vector<Stop> fire = {{0.0f, hex(0x050000)},  {0.3f, hex(0x3A0204)},
                                    {0.55f, hex(0x9A0E0A)}, {0.75f, hex(0xE8481A)},
                                    {0.9f, hex(0xFFB050)},  {1.0f, hex(0xFFF0C8)}};
    return paint([&](float u, float v) {
        // Billowing cloud: noise under a gentle warp, lit a little from one side.
        const float wx = fbm(u * 2, v * 2, 2, 3, 70) * 0.08f;
        const float wy = fbm(u * 2 + 3.7f, v * 2 + 1.9f, 2, 3, 72) * 0.08f;
        const float d = fbm((u + wx) * 3, (v + wy) * 3, 3, 5, 71, 0.55f);
        const float side = fbm((u + wx) * 3 + 0.04f, (v + wy) * 3 + 0.04f, 3, 5, 71, 0.55f);
        const float light = std::clamp(0.5f + (d - side) * 2.5f, 0.0f, 1.0f);
        return ramp(fire, std::clamp(d * 0.38f + 0.42f, 0.0f, 1.0f)) * (0.8f + 0.4f * light);
    });
}

Image picture_blue_red() {
    const std::vector<Stop> two = {
        {0.0f, hex(0xFFD0A0)}, {0.1f, hex(0xFF3A14)}, {0.3f, hex(0x6A0418)}, {0.5f, hex(0x040208)},
        {0.7f, hex(0x0A1C78)}, {0.9f, hex(0x2C8CFF)}, {1.0f, hex(0xC8ECFF)}};
    return paint([&](float u, float v) {
        const float d = warped(u, v, 2, 81, 1.6f);
        const float fine = fbm(u * 32, v * 32, 32, 2, 82) * 0.05f;
        return ramp(two, std::clamp(d * 0.62f + 0.5f + fine, 0.0f, 1.0f));
    });
}

Image picture_star_tunnel() {
    Image img = paint([&](float u, float v) {
        const float dust = smoothstep(0.1f, 0.9f, warped(u, v, 2, 91, 2.0f));
        return hex(0x010104) + hex(0x1A1240) * (dust * 0.8f) + hex(0x06203A) * (dust * dust);
    });
    scatter_stars(img, 700, 92, true, 1.0f);
    return img;
}
