// Points: grDrawPoint lights one pixel, grAADrawPoint a two-pixel pyramid of alpha.
#include <cmath>

#include "platform/glide/glide_device.h"

namespace {

// Sends a point's pixels through the pipeline with the vertex's own values, each pixel with its
// own alpha; what does not change from pixel to pixel is worked out once. Points touch at most
// four pixels, so they skip triangle set-up entirely.
struct PointShader {
    explicit PointShader(const GrVertex& vertex)
        : p(current_pipeline()),
          v(vertex),
          fast(p.kind == SpanKind::kColorBlend && !glide_generic_spans_forced()),
          r(glide_math::iterated_channel(v.r)),
          g(glide_math::iterated_channel(v.g)),
          b(glide_math::iterated_channel(v.b)) {}

    // `row` is the back-buffer row of y; the caller has checked (x, y) against the clip
    // rectangle.
    void shade(std::uint16_t* row, int x, int y, float alpha) const {
        std::uint16_t& dst = row[x];
        if (fast) {
            dst = glide_math::shade_color_blend_pixel(p, dst, x, y, r, g, b,
                                                      glide_math::iterated_channel(alpha));
        } else {
            const float values[kParamCount] = {
                v.r, v.g, v.b, alpha, v.tmuvtx[0].sow, v.tmuvtx[0].tow, v.oow};
            dst = glide_math::shade_pixel(p, dst, x, y, values, 0.0f);
        }
    }

    const Pipeline& p;
    const GrVertex& v;
    const bool fast;  // the saver's plain and star modes
    const int r, g, b;
};

bool inside_clip(const GlideDevice& d, int x, int y) {
    return x >= d.clip_x0 && x < d.clip_x1 && y >= d.clip_y0 && y < d.clip_y1;
}

bool finite_position(const GrVertex* v) {
    return v && std::isfinite(v->x) && std::isfinite(v->y) && std::fabs(v->x) < 4096.0f &&
           std::fabs(v->y) < 4096.0f;
}

}  // namespace

void grDrawPoint(const GrVertex* v) {
    const GlideDevice& d = glide_device();
    if (!d.open || !finite_position(v)) return;
    // The position is rounded to the nearest 1/16 first: 10.97 lands in column 11.
    const int x = static_cast<int>(std::floor(std::floor(v->x * 16.0 + 0.5) / 16.0));
    const int y = static_cast<int>(std::floor(std::floor(v->y * 16.0 + 0.5) / 16.0));
    if (inside_clip(d, x, y)) PointShader(*v).shade(back_row(y), x, y, v->a);
}

void grAADrawPoint(const GrVertex* v) {
    const GlideDevice& d = glide_device();
    if (!d.open || !finite_position(v)) return;
    const PointShader shader(*v);
    // Alpha falls linearly from the centre to zero at the border of a 2x2-pixel square.
    const double px = v->x, py = v->y;
    const int i0 = static_cast<int>(std::floor(px - 0.5)),
              j0 = static_cast<int>(std::floor(py - 0.5));
    for (int j = j0; j <= j0 + 1; ++j) {
        if (j < d.clip_y0 || j >= d.clip_y1) continue;
        std::uint16_t* const row = back_row(j);
        for (int i = i0; i <= i0 + 1; ++i) {
            const double m = std::max(std::fabs(i + 0.5 - px), std::fabs(j + 0.5 - py));
            if (m >= 1.0 || i < d.clip_x0 || i >= d.clip_x1) continue;
            shader.shade(row, i, j, static_cast<float>(v->a * (1.0 - m)));
        }
    }
}
