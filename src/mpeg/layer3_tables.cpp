// The layer III tables that follow from formulas, computed once on first use.
#include "mpeg/layer3_tables.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The standard's windows of the 36-point inverse transform by block type (2 is unused).
double standard_long_window(int block_type, int i) {
    double normal = std::sin(kPi / 36 * (i + 0.5));
    switch (block_type) {
        case 1:
            if (i < 18) return normal;
            if (i < 24) return 1.0;
            if (i < 30) return std::sin(kPi / 12 * (i - 18 + 0.5));
            return 0.0;
        case 3:
            if (i < 6) return 0.0;
            if (i < 12) return std::sin(kPi / 12 * (i - 6 + 0.5));
            if (i < 18) return 1.0;
            return normal;
        default:
            return normal;
    }
}

// The fast transforms give the type-IV cosine transform y[m] only up to the factor
// 1 / (2 cos((2m + 1) pi / 2n)) and output i of the inverse transform is +-y[m(i)]: the
// factor and the sign belong to position i, so they are folded into the window.
double output_factor(int n, int i) {
    int half = n / 2;        // 18 or 6 outputs of the cosine transform
    int quarter = half / 2;  // 9 or 3
    int m;
    double sign;
    if (i < quarter) {
        m = i + quarter;
        sign = 1.0;
    } else if (i < 3 * quarter) {
        m = 3 * quarter - 1 - i;
        sign = -1.0;
    } else {
        m = i - 3 * quarter;
        sign = -1.0;
    }
    return sign * 0.5 / std::cos((2 * m + 1) * kPi / (2.0 * n));
}

Layer3Tables make_tables() {
    Layer3Tables t{};
    for (int n = 0; n < 8207; ++n) t.power[n] = static_cast<float>(std::pow(double(n), 4.0 / 3.0));
    for (int n = 0; n < 64; ++n) t.gain[n] = static_cast<float>(std::pow(2.0, -n / 2.0));
    for (int i = 0; i < 16; ++i) t.intensity_ratio[i] = static_cast<float>(std::tan(i * kPi / 12));
    t.intensity_ratio[6] = 1.0e11f;
    for (int n = 0; n < 32; ++n) {
        t.intensity_factor[0][n] = static_cast<float>(std::pow(2.0, -n / 4.0));
        t.intensity_factor[1][n] = static_cast<float>(std::pow(2.0, -n / 2.0));
    }
    for (int table = 0; table < 6; ++table) {
        const int* sb = kShortBandBoundaries[table];
        for (int k = 0; k < 13; ++k) {
            int width = sb[k + 1] - sb[k];
            int start = 3 * sb[k];
            for (int j = 0; j < width; ++j) {
                for (int w = 0; w < 3; ++w) {
                    t.reorder[table][start + 3 * j + w] = static_cast<short>(start + w * width + j);
                }
            }
        }
    }
    static const double kAlias[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; ++i) {
        double root = std::sqrt(1.0 + kAlias[i] * kAlias[i]);
        t.cs[i] = static_cast<float>(1.0 / root);
        t.ca[i] = static_cast<float>(kAlias[i] / root);
    }
    for (int bt = 0; bt < 4; ++bt) {
        for (int i = 0; i < 36; ++i) {
            t.long_window[bt][i] =
                static_cast<float>(standard_long_window(bt, i) * output_factor(36, i));
        }
    }
    for (int i = 0; i < 12; ++i) {
        t.short_window[i] =
            static_cast<float>(std::sin(kPi / 12 * (i + 0.5)) * output_factor(12, i));
    }
    return t;
}

}  // namespace

const Layer3Tables& layer3_tables() {
    static const Layer3Tables tables = make_tables();
    return tables;
}
