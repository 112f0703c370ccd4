// The star-field picture: procedural noise for the nebula, Gaussian splats for the stars.
#include "resources/dialogs/starfield_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// A small deterministic generator, so the picture is the same on every build.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        state_ += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1 << 24); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }

private:
    std::uint64_t state_;
};

struct Colour {
    float r, g, b;
};

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Value noise on an integer lattice, smoothly interpolated.
float lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

float value_noise(float x, float y, std::uint32_t seed) {
    const int xi = static_cast<int>(std::floor(x));
    const int yi = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(xi);
    const float fy = y - static_cast<float>(yi);
    const float sx = fx * fx * (3 - 2 * fx);
    const float sy = fy * fy * (3 - 2 * fy);
    const float a = lattice(xi, yi, seed);
    const float b = lattice(xi + 1, yi, seed);
    const float c = lattice(xi, yi + 1, seed);
    const float d = lattice(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Fractal sum of octaves: large soft shapes with fine wisps on top.
float fbm(float x, float y, std::uint32_t seed, int octaves = 5) {
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * value_noise(x, y, seed + static_cast<std::uint32_t>(i) * 17u);
        norm += amplitude;
        x = x * 2.03f + 11.7f;
        y = y * 2.03f - 5.3f;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

void add(Picture& p, int x, int y, Colour c, float k) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height || k <= 0) return;
    float* px = p.at(x, y);
    px[0] += c.r * k;
    px[1] += c.g * k;
    px[2] += c.b * k;
}

// A round Gaussian spot of light centred at (cx, cy) with sub-pixel precision.
void splat(Picture& p, float cx, float cy, float sigma, Colour c, float intensity) {
    const int reach = static_cast<int>(std::ceil(sigma * 3.5f));
    const float inv = 1.0f / (2 * sigma * sigma);
    for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
        for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx;
            const float dy = static_cast<float>(y) + 0.5f - cy;
            add(p, x, y, c, intensity * std::exp(-(dx * dx + dy * dy) * inv));
        }
    }
}

// A thin ray of light from the centre outwards, fading with distance: the flare of a big star.
void spike(Picture& p, float cx, float cy, float angle, float length, Colour c, float intensity) {
    const float dx = std::cos(angle);
    const float dy = std::sin(angle);
    for (float t = 1.0f; t < length; t += 0.35f) {
        const float fade = std::pow(1.0f - t / length, 2.2f);
        const float x = cx + dx * t;
        const float y = cy + dy * t;
        // Spread each step over the two nearest pixels across the ray for a smooth line.
        const float nx = -dy, ny = dx;
        for (float s = -1.0f; s <= 1.0f; s += 1.0f) {
            const float w = std::exp(-s * s * 1.6f);
            add(p, static_cast<int>(std::floor(x + nx * s)),
                static_cast<int>(std::floor(y + ny * s)), c, intensity * fade * w * 0.35f);
        }
    }
}

const Colour kStarTints[] = {
    {0.78f, 0.86f, 1.00f},  // blue-white
    {1.00f, 1.00f, 1.00f},  // white
    {1.00f, 0.95f, 0.82f},  // pale yellow
    {1.00f, 0.84f, 0.68f},  // pale orange
    {0.70f, 0.80f, 1.00f},  // blue
};

void paint_sky(Picture& p) {
    const Colour top = {0.002f, 0.003f, 0.014f};
    const Colour bottom = {0.008f, 0.002f, 0.016f};
    const Colour blue = {0.10f, 0.24f, 0.95f};
    const Colour red = {0.95f, 0.12f, 0.30f};
    const Colour violet = {0.45f, 0.15f, 0.85f};
    const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const float u = static_cast<float>(x) / w;
            const float v = static_cast<float>(y) / h;
            Colour c = mix(top, bottom, v);
            // Warp the coordinates by one noise field before sampling the next: swirling gas.
            const float wx = fbm(u * 3.0f, v * 3.0f, 7) * 1.6f;
            const float wy = fbm(u * 3.0f + 4.1f, v * 3.0f + 1.7f, 8) * 1.6f;
            const float gas = fbm(u * 2.6f + wx, v * 2.6f + wy, 9);
            // A band of gas across the picture from lower left to upper right.
            const float band_distance = std::fabs((v - 0.92f) + (u * 0.78f)) - 0.05f;
            const float band = std::exp(-band_distance * band_distance * 9.0f);
            const float density = smoothstep(0.38f, 0.78f, gas) * (0.25f + 0.75f * band);
            const float hue = smoothstep(0.3f, 0.7f, fbm(u * 1.8f + 9.0f, v * 1.8f, 21));
            Colour g = mix(blue, red, hue);
            g = mix(g, violet, 0.25f * smoothstep(0.4f, 0.6f, gas));
            // Dark dust lanes cut through the glow.
            const float dust = smoothstep(0.55f, 0.75f, fbm(u * 5.0f, v * 5.0f, 33, 4));
            const float k = 0.26f * density * density * (1.0f - 0.75f * dust);
            float* px = p.at(x, y);
            px[0] = c.r + g.r * k;
            px[1] = c.g + g.g * k;
            px[2] = c.b + g.b * k;
        }
    }
}

void paint_point_stars(Picture& p, Random& rnd) {
    const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
    for (int i = 0; i < 240; ++i) {
        const float x = rnd.range(0, w), y = rnd.range(0, h);
        // Most stars are faint, a few are bright: a steep spread of brightness.
        const float brightness = 0.05f + 1.6f * std::pow(rnd.unit(), 6.0f);
        const Colour tint = kStarTints[rnd.next() % 5];
        splat(p, x, y, brightness > 0.6f ? 0.62f : 0.48f, tint, brightness * 1.6f);
        if (brightness > 0.9f) splat(p, x, y, 1.8f, tint, brightness * 0.05f);
    }
}

void paint_glow_stars(Picture& p, Random& rnd) {
    const Colour glows[] = {{0.55f, 0.70f, 1.0f}, {1.0f, 0.55f, 0.75f}, {0.75f, 0.6f, 1.0f}};
    const float w = static_cast<float>(p.width), h = static_cast<float>(p.height);
    for (int i = 0; i < 16; ++i) {
        const float x = rnd.range(4, w - 4), y = rnd.range(4, h - 4);
        const Colour c = glows[rnd.next() % 3];
        splat(p, x, y, rnd.range(1.3f, 2.4f), c, rnd.range(0.12f, 0.22f));
        splat(p, x, y, 0.5f, {1, 1, 1}, 0.7f);
    }
}

struct BigStar {
    float x, y;  // where it is now
    float size;  // radius of its core glow
    Colour colour;
    float tx, ty;  // where its trail comes from (the control point of its path)
    float bx, by;  // where its trail begins
};

// A big star: a fading trail of particles along its curved path, a halo, a hot core and flares.
void paint_big_star(Picture& p, const BigStar& s, Random& rnd) {
    const int particles = 46;
    for (int i = particles; i >= 1; --i) {
        const float t = static_cast<float>(i) / particles;  // 1 at the far end of the trail
        // A quadratic curve from the trail's start through the control point to the star.
        const float a = (1 - t) * (1 - t), b = 2 * (1 - t) * t, c = t * t;
        const float x = a * s.x + b * s.tx + c * s.bx + rnd.range(-0.6f, 0.6f) * t * 2;
        const float y = a * s.y + b * s.ty + c * s.by + rnd.range(-0.6f, 0.6f) * t * 2;
        const float fade = std::pow(1.0f - t, 1.6f);
        const Colour hot = mix(s.colour, {1.0f, 0.35f, 0.25f}, t * 0.8f);
        splat(p, x, y, 0.6f + s.size * 0.28f * (1 - t), hot, 0.55f * fade);
    }
    splat(p, s.x, s.y, s.size * 2.8f, s.colour, 0.16f);
    splat(p, s.x, s.y, s.size * 1.1f, s.colour, 0.85f);
    splat(p, s.x, s.y, s.size * 0.45f, {1, 1, 1}, 3.0f);
    const float pi = 3.14159265f;
    for (int k = 0; k < 4; ++k) {
        spike(p, s.x, s.y, pi * 0.5f * static_cast<float>(k), s.size * 7.0f, s.colour, 1.2f);
        spike(p, s.x, s.y, pi * (0.25f + 0.5f * static_cast<float>(k)), s.size * 2.8f, s.colour,
              0.6f);
    }
}

}  // namespace

Picture paint_star_field(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0.0f);
    Random rnd(0x4C756D69766578ull);  // "Lumivex"
    paint_sky(p);
    paint_point_stars(p, rnd);
    paint_glow_stars(p, rnd);
    // The big stars fly outwards from a point left of the middle; their trails point back.
    const BigStar stars[] = {
        {128, 42, 3.4f, {0.75f, 0.85f, 1.0f}, 108, 62, 84, 64},
        {38, 30, 2.3f, {1.0f, 0.80f, 0.92f}, 52, 34, 62, 52},
        {142, 106, 1.9f, {0.85f, 0.80f, 1.0f}, 118, 98, 100, 80},
        {58, 104, 1.4f, {0.70f, 0.90f, 1.0f}, 68, 96, 70, 80},
    };
    for (const BigStar& s : stars) paint_big_star(p, s, rnd);
    return p;
}

std::vector<unsigned char> tone_map(const Picture& picture) {
    std::vector<unsigned char> out(picture.rgb.size());
    for (std::size_t i = 0; i < picture.rgb.size(); ++i) {
        const float shoulder = 1.0f - std::exp(-picture.rgb[i] * 1.35f);
        const float srgb = shoulder <= 0.0031308f ? shoulder * 12.92f
                                                  : 1.055f * std::pow(shoulder, 1 / 2.4f) - 0.055f;
        out[i] = static_cast<unsigned char>(std::clamp(srgb * 255.0f + 0.5f, 0.0f, 255.0f));
    }
    return out;
}
