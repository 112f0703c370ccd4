// Building a clamped or natural cubic spline (a tridiagonal solve) and evaluating it.
#include "render/cubic_spline.h"

bool CubicSpline::build(std::span<const double> x, std::span<const double> y,
                        double start_derivative, double end_derivative) {
    x_.clear();
    y_.clear();
    m_.clear();
    const std::size_t n = x.size();
    if (n < 2 || y.size() != n) return false;
    for (std::size_t i = 1; i < n; ++i) {
        if (!(x[i] > x[i - 1])) return false;
    }
    // Row i of the system: a[i] M[i-1] + b[i] M[i] + c[i] M[i+1] = r[i].
    std::vector<double> a(n, 0.0), b(n, 1.0), c(n, 0.0), r(n, 0.0);
    if (start_derivative <= kNaturalEnd) {
        const double h = x[1] - x[0];
        b[0] = h / 3.0;
        c[0] = h / 6.0;
        r[0] = (y[1] - y[0]) / h - start_derivative;
    }
    for (std::size_t i = 1; i + 1 < n; ++i) {
        a[i] = (x[i] - x[i - 1]) / 6.0;
        b[i] = (x[i + 1] - x[i - 1]) / 3.0;
        c[i] = (x[i + 1] - x[i]) / 6.0;
        r[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]) - (y[i] - y[i - 1]) / (x[i] - x[i - 1]);
    }
    if (end_derivative <= kNaturalEnd) {
        const double h = x[n - 1] - x[n - 2];
        a[n - 1] = h / 6.0;
        b[n - 1] = h / 3.0;
        r[n - 1] = end_derivative - (y[n - 1] - y[n - 2]) / h;
    }
    // Forward elimination, then back substitution. The system is diagonally dominant for
    // increasing knots, so no pivoting is needed.
    for (std::size_t i = 1; i < n; ++i) {
        const double f = a[i] / b[i - 1];
        b[i] -= f * c[i - 1];
        r[i] -= f * r[i - 1];
    }
    std::vector<double> m(n);
    m[n - 1] = r[n - 1] / b[n - 1];
    for (std::size_t i = n - 1; i-- > 0;) m[i] = (r[i] - c[i] * m[i + 1]) / b[i];
    x_.assign(x.begin(), x.end());
    y_.assign(y.begin(), y.end());
    m_ = std::move(m);
    return true;
}

double CubicSpline::evaluate(double t) const {
    if (x_.empty()) return 0.0;
    std::size_t lo = 0, hi = x_.size() - 1;
    while (hi - lo > 1) {
        const std::size_t mid = (lo + hi) / 2;
        if (t < x_[mid]) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    const double h = x_[hi] - x_[lo];
    const double a = (x_[hi] - t) / h;
    const double b = (t - x_[lo]) / h;
    return a * y_[lo] + b * y_[hi] +
           ((a * a * a - a) * m_[lo] + (b * b * b - b) * m_[hi]) * h * h / 6.0;
}
