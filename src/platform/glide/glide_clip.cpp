// guDrawTriangleWithClip: 2-D polygon clipping against the clip window, then a fan of triangles.
#include <cmath>

#include "platform/glide/glide_device.h"
#include "platform/glide/glide_raster.h"

namespace {

// A vertex while clipping, in double precision; the 1/w-divided values interpolate linearly.
struct ClipVertex {
    double x, y, z, r, g, b, ooz, a, oow, sow, tow;
};

ClipVertex from_vertex(const GrVertex& v) {
    return {v.x, v.y, v.z, v.r, v.g, v.b, v.ooz, v.a, v.oow, v.tmuvtx[0].sow, v.tmuvtx[0].tow};
}

ClipVertex mix(const ClipVertex& p, const ClipVertex& q, double t) {
    auto m = [t](double u, double v) { return u + (v - u) * t; };
    return {m(p.x, q.x),     m(p.y, q.y),     m(p.z, q.z),     m(p.r, q.r),
            m(p.g, q.g),     m(p.b, q.b),     m(p.ooz, q.ooz), m(p.a, q.a),
            m(p.oow, q.oow), m(p.sow, q.sow), m(p.tow, q.tow)};
}

// Glide rounds created vertices to the nearest 1/16 pixel by adding and removing 2^19 in single
// precision; vertices already on the 1/16 grid stay where they are.
float snap_nearest16(double v) {
    const float f = static_cast<float>(v);
    const float big = 524288.0f;
    return (f + big) - big;
}

GrVertex to_vertex(const ClipVertex& c) {
    GrVertex v{};
    v.x = snap_nearest16(c.x);
    v.y = snap_nearest16(c.y);
    v.z = static_cast<float>(c.z);
    v.r = static_cast<float>(c.r);
    v.g = static_cast<float>(c.g);
    v.b = static_cast<float>(c.b);
    v.ooz = static_cast<float>(c.ooz);
    v.a = static_cast<float>(c.a);
    v.oow = static_cast<float>(c.oow);
    v.tmuvtx[0] = {static_cast<float>(c.sow), static_cast<float>(c.tow), v.oow};
    v.tmuvtx[1] = v.tmuvtx[0];
    return v;
}

// One Sutherland-Hodgman pass: keeps the part where inside(v) >= 0 (a signed distance).
template <typename Distance>
int clip_pass(const ClipVertex* in, int n, ClipVertex* out, Distance distance) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const ClipVertex& p = in[i];
        const ClipVertex& q = in[(i + 1) % n];
        const double dp = distance(p), dq = distance(q);
        if (dp >= 0.0) out[m++] = p;
        if ((dp >= 0.0) != (dq >= 0.0)) out[m++] = mix(p, q, dp / (dp - dq));
    }
    return m;
}

bool finite_vertex(const GrVertex* v) {
    return v && std::isfinite(v->x) && std::isfinite(v->y) && std::isfinite(v->oow) &&
           std::isfinite(v->tmuvtx[0].sow) && std::isfinite(v->tmuvtx[0].tow);
}

}  // namespace

void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
    const GlideDevice& d = glide_device();
    if (!d.open || !finite_vertex(a) || !finite_vertex(b) || !finite_vertex(c)) return;
    const double xmin = d.clip_x0, ymin = d.clip_y0, xmax = d.clip_x1, ymax = d.clip_y1;
    auto inside = [&](const GrVertex* v) {
        return xmin <= v->x && v->x < xmax && ymin <= v->y && v->y < ymax;
    };
    if (inside(a) && inside(b) && inside(c)) {
        grDrawTriangle(a, b, c);
        return;
    }
    // Each pass adds at most one vertex: 3 + 4 is the most there can be.
    ClipVertex buf_a[8] = {from_vertex(*a), from_vertex(*b), from_vertex(*c)};
    ClipVertex buf_b[8];
    int n = 3;
    n = clip_pass(buf_a, n, buf_b, [&](const ClipVertex& v) { return xmax - v.x; });
    n = clip_pass(buf_b, n, buf_a, [&](const ClipVertex& v) { return ymax - v.y; });
    n = clip_pass(buf_a, n, buf_b, [&](const ClipVertex& v) { return v.x - xmin; });
    n = clip_pass(buf_b, n, buf_a, [&](const ClipVertex& v) { return v.y - ymin; });
    if (n < 3) return;
    GrVertex fan[8];
    for (int i = 0; i < n; ++i) fan[i] = to_vertex(buf_a[i]);
    for (int i = 1; i + 1 < n; ++i) grDrawTriangle(&fan[0], &fan[i], &fan[i + 1]);
}
