// Float RGB pictures for the texture generator, with the few operations the pictures need.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }
inline Rgb clamp01(Rgb c) {
    return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)};
}
// A colour given as 0xRRGGBB.
inline Rgb hex(unsigned v) {
    return {((v >> 16) & 255) / 255.0f, ((v >> 8) & 255) / 255.0f, (v & 255) / 255.0f};
}
inline float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// A gradient through colour stops at positions 0..1 (sorted).
struct Stop {
    float at;
    Rgb color;
};
Rgb ramp(const std::vector<Stop>& stops, float t);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> px;
    Image() = default;
    Image(int w, int h) : width(w), height(h), px(static_cast<std::size_t>(w) * h) {}
    Rgb& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
    // Adds c * weight at (x, y), wrapping around the edges (for pictures that tile).
    void add_wrapped(int x, int y, Rgb c) {
        x = ((x % width) + width) % width;
        y = ((y % height) + height) % height;
        at(x, y) = at(x, y) + c;
    }
};

// A small deterministic random generator for placing things.
struct Rng {
    unsigned state;
    explicit Rng(unsigned seed) : state(seed * 2654435761u + 1) {}
    unsigned next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    float uniform() { return (next() >> 8) / 16777216.0f; }
};

// Adds a soft round star of the given radius (pixels) and colour; wraps when `tile` is set.
void add_star(Image& img, float cx, float cy, float radius, Rgb color, bool tile);
