// Triangle set-up and scan conversion: 1/16-pixel snapping, exact edge walking, parameter planes.
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/glide/glide_device.h"
#include "platform/glide/glide_raster.h"

namespace {

// The board holds vertex positions as signed 12.4 fixed point, dropping finer bits toward zero
// (as the conversion to an integer does). Positions that would wrap around on the board, and
// ones not finite (every comparison with them is false), are refused.
bool snap16(float f, std::int32_t* out) {
    const double v = static_cast<double>(f) * 16.0;
    if (!(v > -32769.0 && v < 32768.0)) return false;
    *out = static_cast<std::int32_t>(v);
    return true;
}

// Rounded up and down, for d > 0: one division gives quotient (rounded toward zero) and
// remainder, and the remainder's sign says which way to correct, without a branch.
std::int64_t ceil_div(std::int64_t n, std::int64_t d) {
    const std::int64_t q = n / d, r = n % d;
    return q + (r > 0);
}

std::int64_t floor_div(std::int64_t n, std::int64_t d) {
    const std::int64_t q = n / d, r = n % d;
    return q - (r < 0);
}

// Walks one edge upward a row at a time and yields, exactly, the first pixel column whose centre
// lies at or to the right of the edge. Left edges thus include pixels whose centre is on them and
// right edges exclude them, so two triangles sharing an edge never both draw a pixel. All work is
// in 1/16-pixel integers: an edge gives the same columns whichever triangle walks it.
struct EdgeWalker {
    std::int64_t column = 0;  // ceil((x(yc) - 8) / 16), in pixels
    std::int64_t remainder = 0;
    std::int64_t modulus = 1;
    std::int64_t column_step = 0;
    std::int64_t remainder_step = 0;

    // From (xa, ya) to (xb, yb) with ya < yb, starting at the row centre yc (all in 1/16 pixel).
    void start(std::int64_t xa, std::int64_t ya, std::int64_t xb, std::int64_t yb,
               std::int64_t yc) {
        const std::int64_t dy = yb - ya;
        modulus = 16 * dy;
        const std::int64_t n = (xa - 8) * dy + (xb - xa) * (yc - ya);
        column = ceil_div(n, modulus);
        remainder = column * modulus - n;
        const std::int64_t dn = 16 * (xb - xa);
        column_step = floor_div(dn, modulus);
        remainder_step = dn - column_step * modulus;
    }

    void step() {
        remainder -= remainder_step;
        column += column_step;
        const std::int64_t crossed = remainder >> 63;  // -1 when one more column was passed
        remainder += modulus & crossed;
        column -= crossed;
    }
};

// Spans of one primitive, handed to the pixel routine a list at a time.
struct SpanBatch {
    SpanBatch(const Pipeline& p, const SpanPlanes& pl) : pipe(p), planes(pl) {}
    const Pipeline& pipe;
    const SpanPlanes& planes;
    SpanList list;

    void add(std::uint16_t* row, int x, int count, int y) {
        const int i = list.n++;
        list.row[i] = row;
        list.x[i] = x;
        list.count[i] = count;
        list.y[i] = y;
        if (list.n == SpanList::kMax) flush();
    }
    void flush() {
        if (list.n == 0) return;
        for (int i = list.n; i % 4 != 0; ++i) list.x[i] = list.count[i] = list.y[i] = 0;
        shade_spans(pipe, list, planes);
        list.n = 0;
    }
};

// Rows j .. j_stop - 1 between two edges. The walkers are copied in and out, so they stay in
// registers for the loop.
void walk_rows(EdgeWalker& left_edge, EdgeWalker& right_edge, std::int64_t j, std::int64_t j_stop,
               std::int64_t clip_x0, std::int64_t clip_x1, std::uint16_t* row0,
               std::ptrdiff_t row_step, SpanBatch& batch) {
    EdgeWalker left_walk = left_edge, right_walk = right_edge;
    for (; j < j_stop; ++j) {
        const std::int64_t left = std::max(left_walk.column, clip_x0);
        const std::int64_t right = std::min(right_walk.column, clip_x1);
        if (left < right) {
            const int y = static_cast<int>(j);
            batch.add(row0 + y * row_step, static_cast<int>(left), static_cast<int>(right - left),
                      y);
        }
        left_walk.step();
        right_walk.step();
    }
    left_edge = left_walk;
    right_edge = right_walk;
}

struct Snapped {
    std::int32_t x, y;
    const GrVertex* v;
};

void vertex_params(const GrVertex& v, bool textured, double out[kParamCount]) {
    out[kParamR] = v.r;
    out[kParamG] = v.g;
    out[kParamB] = v.b;
    out[kParamA] = v.a;
    out[kParamSow] = textured ? v.tmuvtx[0].sow : 0.0;
    out[kParamTow] = textured ? v.tmuvtx[0].tow : 0.0;
    out[kParamOow] = textured ? v.oow : 1.0;
}

void draw_snapped(Snapped s[3]) {
    const GlideDevice& d = glide_device();
    // By height: three compare-and-swaps.
    auto order = [](Snapped& p, Snapped& q) {
        if (q.y < p.y) std::swap(p, q);
    };
    order(s[0], s[1]);
    order(s[1], s[2]);
    order(s[0], s[1]);
    const Snapped &v0 = s[0], &v1 = s[1], &v2 = s[2];
    std::int64_t j = std::max<std::int64_t>(ceil_div(v0.y - 8, 16), d.clip_y0);
    const std::int64_t j_end = std::min<std::int64_t>(ceil_div(v2.y - 8, 16), d.clip_y1);
    if (j >= j_end) return;

    // Which side the middle vertex lies on, seen from the long edge v0 -> v2.
    const std::int64_t cross =
        std::int64_t{v2.x - v0.x} * (v1.y - v0.y) - std::int64_t{v2.y - v0.y} * (v1.x - v0.x);
    if (cross == 0) return;
    const bool middle_on_left = cross > 0;

    // Parameter planes from the snapped positions, so values match the pixels actually covered.
    const Pipeline& pipe = current_pipeline();
    const bool textured = pipe.needs_texture && pipe.texture;
    const double x0 = v0.x / 16.0, y0 = v0.y / 16.0;
    const double ex1 = v1.x / 16.0 - x0, ey1 = v1.y / 16.0 - y0;
    const double ex2 = v2.x / 16.0 - x0, ey2 = v2.y / 16.0 - y0;
    const double area = ex1 * ey2 - ex2 * ey1;
    double p1[kParamCount], p2[kParamCount];
    SpanPlanes planes;
    planes.origin_x = x0;
    planes.origin_y = y0;
    vertex_params(*v0.v, textured, planes.at_origin);
    vertex_params(*v1.v, textured, p1);
    vertex_params(*v2.v, textured, p2);
    const double inv_area = 1.0 / area;
    for (int k = 0; k < kParamCount; ++k) {
        const double a = p1[k] - planes.at_origin[k], b = p2[k] - planes.at_origin[k];
        planes.dx[k] = (a * ey2 - b * ey1) * inv_area;
        planes.dy[k] = (b * ex1 - a * ex2) * inv_area;
        planes.step[k] = static_cast<float>(planes.dx[k]);
    }
    planes.rho = 0.0f;
    if (textured) {
        const double* dx = planes.dx;
        const double* dy = planes.dy;
        const double rx = std::sqrt(dx[kParamSow] * dx[kParamSow] + dx[kParamTow] * dx[kParamTow]);
        const double ry = std::sqrt(dy[kParamSow] * dy[kParamSow] + dy[kParamTow] * dy[kParamTow]);
        planes.rho = static_cast<float>(std::max(rx, ry));
    }
    // Device row y lies at row0 + y * row_step in the back buffer.
    std::uint16_t* const row0 = back_row(0);
    const std::ptrdiff_t row_step = back_row(1) - row0;

    // Spans go to the pixel routine in batches, so its set-up is paid once per batch.
    SpanBatch batch(pipe, planes);
    const std::int64_t clip_x0 = d.clip_x0, clip_x1 = d.clip_x1;
    EdgeWalker long_edge;
    long_edge.start(v0.x, v0.y, v2.x, v2.y, 16 * j + 8);
    // The rows below the middle vertex, then those above it.
    const std::int64_t j_middle = std::clamp<std::int64_t>(ceil_div(v1.y - 8, 16), j, j_end);
    for (int half = 0; half < 2; ++half) {
        const std::int64_t j_stop = half == 0 ? j_middle : j_end;
        if (j >= j_stop) continue;
        EdgeWalker short_edge;
        if (half == 0) {
            short_edge.start(v0.x, v0.y, v1.x, v1.y, 16 * j + 8);
        } else {
            short_edge.start(v1.x, v1.y, v2.x, v2.y, 16 * j + 8);
        }
        if (middle_on_left) {
            walk_rows(short_edge, long_edge, j, j_stop, clip_x0, clip_x1, row0, row_step, batch);
        } else {
            walk_rows(long_edge, short_edge, j, j_stop, clip_x0, clip_x1, row0, row_step, batch);
        }
        j = j_stop;
    }
    batch.flush();
}

}  // namespace

bool rasterize_triangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, bool cull) {
    const GlideDevice& d = glide_device();
    if (!d.open || !a || !b || !c) return false;
    for (const GrVertex* v : {a, b, c}) {
        if (!std::isfinite(v->x) || !std::isfinite(v->y)) return false;
    }
    const float area = (b->x - a->x) * (c->y - a->y) - (c->x - a->x) * (b->y - a->y);
    if (area == 0.0f) return false;
    if (cull && d.cull == GR_CULL_NEGATIVE && area < 0.0f) return false;
    if (cull && d.cull == GR_CULL_POSITIVE && area > 0.0f) return false;
    Snapped s[3] = {{0, 0, a}, {0, 0, b}, {0, 0, c}};
    for (Snapped& v : s) {
        if (!snap16(v.v->x, &v.x) || !snap16(v.v->y, &v.y)) return false;
    }
    // Alpha below 1 at every vertex is alpha 0 at every pixel. Where that keeps the destination,
    // the triangle changes nothing (the board would dither its pixels again, perhaps by one
    // step), so it costs nothing either: the edge strips of the big stars are such triangles.
    const float most_alpha = std::max({a->a, b->a, c->a});
    if (most_alpha <= 0.5f && current_pipeline().transparent_keeps_destination) return true;
    draw_snapped(s);
    return true;
}

void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    rasterize_triangle(a, b, c, true);
}
