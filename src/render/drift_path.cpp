// The drift path: knots to splines, and the per-frame step with its wrap from 28000 back to 1.
#include "render/drift_path.h"

#include <array>

#include "render/star_field_tables.h"

namespace {
constexpr float kPathEnd = 28000.0f;
}

void DriftPath::build() {
    std::array<double, kDriftKnots.size()> t{}, v{}, h{};
    for (std::size_t i = 0; i < kDriftKnots.size(); ++i) {
        t[i] = kDriftKnots[i].t;
        v[i] = kDriftKnots[i].vertical;
        h[i] = kDriftKnots[i].horizontal;
    }
    vertical.build(t, v, 0.0, 0.0);
    horizontal.build(t, h, 0.0, 0.0);
}

void DriftPath::step(int speed) {
    if (speed <= 0) return;
    previous_vertical = vertical_sample;
    previous_horizontal = horizontal_sample;
    t += static_cast<float>(speed);
    // Both splines are 0 at both ends, so the wrap shows no jump.
    if (t >= kPathEnd) t = 1.0f;
    vertical_sample = static_cast<float>(vertical.evaluate(t));
    horizontal_sample = static_cast<float>(horizontal.evaluate(t));
    dv = vertical_sample - previous_vertical;
    dh = horizontal_sample - previous_horizontal;
}
