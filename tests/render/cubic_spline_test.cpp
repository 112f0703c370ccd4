// Cubic splines against known results, and the drift path built from them.
#include "render/cubic_spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/drift_path.h"
#include "render/star_field_tables.h"

namespace {

TEST(CubicSpline, ClampedEndsReproduceACubicExactly) {
    // A clamped spline given the true end slopes is the cubic itself, wherever the knots lie.
    auto f = [](double x) { return 0.5 * x * x * x - 2.0 * x * x + x - 3.0; };
    auto df = [](double x) { return 1.5 * x * x - 4.0 * x + 1.0; };
    const std::vector<double> x = {-2.0, -0.5, 0.0, 1.0, 2.5, 4.0, 7.0};
    std::vector<double> y;
    for (double v : x) y.push_back(f(v));
    CubicSpline s;
    ASSERT_TRUE(s.build(x, y, df(x.front()), df(x.back())));
    for (double t = -2.0; t < 7.0; t += 0.37) EXPECT_NEAR(s.evaluate(t), f(t), 1e-9) << t;
    // Its second derivatives are those of the cubic: 3x - 4.
    for (int i = 0; i < s.knot_count(); ++i) {
        EXPECT_NEAR(s.second_derivative(i), 3.0 * x[static_cast<std::size_t>(i)] - 4.0, 1e-9);
    }
}

TEST(CubicSpline, NaturalEndsGiveTheTextbookValues) {
    // Through (0,0), (1,1), (2,0) with natural ends: M1 = -3, so s(0.5) = 0.5 + 1.125/6.
    const std::vector<double> x = {0, 1, 2}, y = {0, 1, 0};
    CubicSpline s;
    ASSERT_TRUE(s.build(x, y, 2e10, 2e10));
    EXPECT_DOUBLE_EQ(s.second_derivative(0), 0.0);
    EXPECT_NEAR(s.second_derivative(1), -3.0, 1e-12);
    EXPECT_DOUBLE_EQ(s.second_derivative(2), 0.0);
    EXPECT_NEAR(s.evaluate(0.5), 0.6875, 1e-12);
    EXPECT_NEAR(s.evaluate(1.5), 0.6875, 1e-12);
    // A straight line stays straight with natural ends.
    const std::vector<double> ly = {1, 3, 5};
    ASSERT_TRUE(s.build(x, ly, 2e10, 2e10));
    EXPECT_NEAR(s.evaluate(1.25), 3.5, 1e-12);
}

TEST(CubicSpline, RefusesKnotsItCannotUse) {
    CubicSpline s;
    const std::vector<double> one = {1.0}, two = {1.0, 1.0}, values = {0.0, 1.0};
    EXPECT_FALSE(s.build(one, one, 0, 0));
    EXPECT_FALSE(s.build(two, values, 0, 0));  // not increasing
    EXPECT_FALSE(s.build(values, one, 0, 0));  // sizes differ
    EXPECT_EQ(s.evaluate(0.5), 0.0);
}

TEST(DriftPath, SplinesPassThroughTheKnotsWithFlatEnds) {
    DriftPath path;
    path.build();
    for (const DriftKnot& k : kDriftKnots) {
        if (k.t >= 28000) continue;  // evaluation covers x[0] <= t < x[n-1]
        EXPECT_NEAR(path.vertical.evaluate(k.t), k.vertical, 1e-9) << k.t;
        EXPECT_NEAR(path.horizontal.evaluate(k.t), k.horizontal, 1e-9) << k.t;
    }
    // Flat at both ends: the wrap from 28000 back to 1 shows no jump.
    EXPECT_NEAR(path.vertical.evaluate(27999.999), 0.0, 1e-3);
    EXPECT_NEAR(path.horizontal.evaluate(27999.999), 0.0, 1e-3);
    EXPECT_NEAR(path.vertical.evaluate(1.001), 0.0, 1e-3);
}

TEST(DriftPath, StepsByTheSpeedAndWrapsToOne) {
    DriftPath path;
    path.build();
    path.step(0);
    path.step(-3);
    EXPECT_EQ(path.t, 1.0f);
    EXPECT_EQ(path.dv, 0.0f);
    path.step(2);
    EXPECT_EQ(path.t, 3.0f);
    EXPECT_EQ(path.vertical_sample, static_cast<float>(path.vertical.evaluate(3.0)));
    EXPECT_EQ(path.dv, path.vertical_sample);  // the previous sample was 0
    path.t = 27998.0f;
    path.step(2);
    EXPECT_EQ(path.t, 1.0f);
    // With speed 2 the path loops in about 14,000 frames.
    path.step(2);
    int frames = 1;
    while (path.t != 1.0f) {
        path.step(2);
        ++frames;
    }
    EXPECT_EQ(frames, 14000);
}

}  // namespace
