// Points: grDrawPoint lights one pixel, grAADrawPoint a two-pixel pyramid of alpha.
#include <cmath>

#include "platform/glide/glide_device.h"

namespace {

// Sends one pixel with the vertex's own values (alpha given) through the pipeline. Points touch
// at most four pixels, so they skip triangle set-up entirely.
void shade_point_pixel(const Pipeline& p, const GrVertex& v, int x, int y, float alpha) {
    const GlideDevice& d = glide_device();
    if (x < d.clip_x0 || x >= d.clip_x1 || y < d.clip_y0 || y >= d.clip_y1) return;
    const float values[kParamCount] = {v.r,  v.g, v.b, alpha, v.tmuvtx[0].sow, v.tmuvtx[0].tow,
                                       v.oow};
    std::uint16_t& dst = back_row(y)[x];
    if (p.kind == SpanKind::kColorBlend && !glide_generic_spans_forced()) {
        using glide_math::iterated_channel;
        dst = glide_math::shade_color_blend_pixel(p, dst, x, y, iterated_channel(v.r),
                                                  iterated_channel(v.g), iterated_channel(v.b),
                                                  iterated_channel(alpha));
    } else {
        dst = glide_math::shade_pixel(p, dst, x, y, values, 0.0f);
    }
}

bool finite_position(const GrVertex* v) {
    return v && std::isfinite(v->x) && std::isfinite(v->y) && std::fabs(v->x) < 4096.0f &&
           std::fabs(v->y) < 4096.0f;
}

}  // namespace

void grDrawPoint(const GrVertex* v) {
    if (!glide_device().open || !finite_position(v)) return;
    // The position is rounded to the nearest 1/16 first: 10.97 lands in column 11.
    const int x = static_cast<int>(std::floor(std::floor(v->x * 16.0 + 0.5) / 16.0));
    const int y = static_cast<int>(std::floor(std::floor(v->y * 16.0 + 0.5) / 16.0));
    shade_point_pixel(current_pipeline(), *v, x, y, v->a);
}

void grAADrawPoint(const GrVertex* v) {
    if (!glide_device().open || !finite_position(v)) return;
    const Pipeline& p = current_pipeline();
    // Alpha falls linearly from the centre to zero at the border of a 2x2-pixel square.
    const double px = v->x, py = v->y;
    const int i0 = static_cast<int>(std::floor(px - 0.5)),
              j0 = static_cast<int>(std::floor(py - 0.5));
    for (int j = j0; j <= j0 + 1; ++j) {
        for (int i = i0; i <= i0 + 1; ++i) {
            const double m = std::max(std::fabs(i + 0.5 - px), std::fabs(j + 0.5 - py));
            if (m >= 1.0) continue;
            shade_point_pixel(p, *v, i, j, static_cast<float>(v->a * (1.0 - m)));
        }
    }
}
