// Gradient noise on a periodic lattice: a hashed unit gradient per corner, quintic blending.
#include "resources/texture_gen/noise.h"

#include <cmath>

namespace {

unsigned hash(int x, int y, unsigned seed) {
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float corner(int ix, int iy, float fx, float fy, unsigned seed) {
    const float angle = static_cast<float>(hash(ix, iy, seed) & 0xFFFF) * (6.2831853f / 65536.0f);
    return std::cos(angle) * fx + std::sin(angle) * fy;
}

int wrap(int i, int n) { return ((i % n) + n) % n; }

float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

float noise2(float x, float y, int period_x, int period_y, unsigned seed) {
    const float xf = std::floor(x), yf = std::floor(y);
    const int xi = static_cast<int>(xf), yi = static_cast<int>(yf);
    const float fx = x - xf, fy = y - yf;
    const int x0 = wrap(xi, period_x), x1 = wrap(xi + 1, period_x);
    const int y0 = wrap(yi, period_y), y1 = wrap(yi + 1, period_y);
    const float n00 = corner(x0, y0, fx, fy, seed), n10 = corner(x1, y0, fx - 1, fy, seed);
    const float n01 = corner(x0, y1, fx, fy - 1, seed), n11 = corner(x1, y1, fx - 1, fy - 1, seed);
    const float u = fade(fx), v = fade(fy);
    const float a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41f;
}

float fbm(float x, float y, int period, int octaves, unsigned seed, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * noise2(x, y, period, period, seed + 101u * o);
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= gain;
    }
    return sum / norm * 1.6f;
}

float ridged(float x, float y, int period, int octaves, unsigned seed, float gain) {
    float sum = 0, amp = 1, norm = 0, weight = 1;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(noise2(x, y, period, period, seed + 131u * o));
        n *= n;
        n *= weight;
        weight = std::fmin(1.0f, n * 1.5f);
        sum += amp * n;
        norm += amp;
        x *= 2;
        y *= 2;
        period *= 2;
        amp *= gain;
    }
    return sum / norm;
}
