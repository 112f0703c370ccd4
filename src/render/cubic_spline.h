// A cubic spline through knots, held as second derivatives at the knots.
#pragma once

#include <span>
#include <vector>

class CubicSpline {
public:
    // End derivatives above this make that end natural (second derivative 0).
    static constexpr double kNaturalEnd = 1e10;

    // Computes the second derivatives for the knots x (increasing) and values y, with the given
    // first derivatives at the two ends. False, leaving the spline empty, when the knots are
    // fewer than two, the spans differ in length or x does not increase.
    bool build(std::span<const double> x, std::span<const double> y, double start_derivative,
               double end_derivative);

    // The value at t, meant for x[0] <= t < x[n-1] (outside, the end pieces are extended).
    // 0 for an empty spline.
    double evaluate(double t) const;

    int knot_count() const { return static_cast<int>(x_.size()); }
    double second_derivative(int i) const { return m_[static_cast<std::size_t>(i)]; }

private:
    std::vector<double> x_, y_, m_;
};
