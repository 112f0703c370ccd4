// grAADrawTriangle: the triangle, then a one-pixel strip fading to alpha 0 outside each flagged
// edge.
#include <cmath>

#include "platform/glide/glide_raster.h"

namespace {

void draw_edge_strip(const GrVertex& p, const GrVertex& q, const GrVertex& third) {
    const float dx = q.x - p.x, dy = q.y - p.y;
    // Which side of the edge the third vertex is on; the strip goes to the other side.
    const float side = dx * (third.y - p.y) - dy * (third.x - p.x);
    const float sign_side = side > 0.0f ? 1.0f : -1.0f;
    float ox = 0.0f, oy = 0.0f;
    if (std::fabs(dx) >= std::fabs(dy)) {
        oy = dx >= 0.0f ? -sign_side : sign_side;
    } else {
        ox = dy >= 0.0f ? sign_side : -sign_side;
    }
    // The outer corners carry the edge's colour and texture coordinates at alpha 0.
    GrVertex p_out = p, q_out = q;
    p_out.x += ox;
    p_out.y += oy;
    q_out.x += ox;
    q_out.y += oy;
    p_out.a = 0.0f;
    q_out.a = 0.0f;
    // The strips are never culled.
    rasterize_triangle(&p, &q, &q_out, false);
    rasterize_triangle(&p, &q_out, &p_out, false);
}

}  // namespace

void grAADrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, FxBool ab_antialias,
                      FxBool bc_antialias, FxBool ca_antialias) {
    // A culled or zero-area triangle loses its edge strips as well.
    if (!rasterize_triangle(a, b, c, true)) return;
    if (ab_antialias) draw_edge_strip(*a, *b, *c);
    if (bc_antialias) draw_edge_strip(*b, *c, *a);
    if (ca_antialias) draw_edge_strip(*c, *a, *b);
}
