// Scattering, drifting, twinkling and drawing the point stars and glow stars.
#include "render/small_star_field.h"

#include <algorithm>

#include "render/render_calls.h"
#include "render/star_field_tables.h"

namespace {

void set_colour(GrVertex& v, int choice) {
    const StarColour& c = kStarColours[static_cast<std::size_t>(choice)];
    v.r = c.r;
    v.g = c.g;
    v.b = c.b;
}

// The drift along one axis. `along` picks the moved coordinate (x or y); the screen's extent and
// centre on that axis are `extent` and `centre`. Stars further from the centre move faster, by up
// to twice the step at the corners, which makes the field look curved.
void move_axis(std::array<GrVertex, SmallStarField::kPointStars>& points,
               std::array<GlowStar, SmallStarField::kGlowStars>& glow, int live, float d,
               float GrVertex::*along, float extent, float centre, float w, float h) {
    const float cx = static_cast<float>(static_cast<int>(w / 2.0f));
    const float cy = static_cast<float>(static_cast<int>(h / 2.0f));
    const float half_w = w / 2.0f, half_h = h / 2.0f;
    const float r2 = static_cast<float>(static_cast<long long>(half_h * half_h + half_w * half_w));
    for (int i = 0; i < live; ++i) {
        GrVertex& v = points[static_cast<std::size_t>(i)];
        const float f = ((v.x - cx) * (v.x - cx) + (v.y - cy) * (v.y - cy)) / r2;
        float p = v.*along + d * (1.0f + f * f);
        if (p > extent) p -= extent;
        if (p < 0.0f) p += extent;
        v.*along = p;
    }
    // A glow star is shifted back as a whole on the frame after it left the screen, so its fan
    // never splits across the edge.
    for (GlowStar& g : glow) {
        const float at = g.vertices[0].*along;
        if (at > extent || at < 0.0f) {
            const float shift = at > extent ? -extent : extent;
            for (GrVertex& v : g.vertices) v.*along += shift;
            continue;
        }
        for (GrVertex& v : g.vertices) {
            const float q = (v.*along - centre) / extent;
            v.*along += d * (1.0f + q * q);
        }
    }
}

}  // namespace

void SmallStarField::scatter(RenderRandom& random, float w, float h) {
    for (GlowStar& g : glow) {
        g.x = random.r() * w;
        g.y = random.r() * h;
        for (int j = 0; j < GlowStar::kVertices; ++j) {
            GrVertex& v = g.vertices[static_cast<std::size_t>(j)];
            v = GrVertex{};
            v.oow = 1.0f;
            set_colour(v, random.draw() % 4);
            v.a = j == 0 ? 180.0f : 0.0f;
        }
    }
    for (GrVertex& v : points) {
        v = GrVertex{};
        v.oow = 1.0f;
        v.x = random.r() * w;
        v.y = random.r() * h;
        v.a = 255.0f;
        set_colour(v, random.draw() % 4);
    }
    for (GlowStar& g : glow) {
        const float k = static_cast<float>(random.draw() % 4 + 3);
        g.vertices[0].x = 0.0f;
        g.vertices[0].y = 0.0f;
        for (std::size_t j = 1; j < GlowStar::kVertices; ++j) {
            g.vertices[j].x = k * kGlowRim[j - 1].x;
            g.vertices[j].y = k * kGlowRim[j - 1].y;
        }
    }
    for (GlowStar& g : glow) {
        for (GrVertex& v : g.vertices) {
            v.x += g.x;
            v.y += g.y;
        }
    }
}

void SmallStarField::move_vertically(float d, int live, float w, float h) {
    const float cy = static_cast<float>(static_cast<int>(h / 2.0f));
    move_axis(points, glow, std::clamp(live, 0, kPointStars), d, &GrVertex::y, h, cy, w, h);
}

void SmallStarField::move_horizontally(float d, int live, float w, float h) {
    const float cx = static_cast<float>(static_cast<int>(w / 2.0f));
    move_axis(points, glow, std::clamp(live, 0, kPointStars), d, &GrVertex::x, w, cx, w, h);
}

void SmallStarField::move_and_draw(float dv, float dh, int live, RenderRandom& random, float w,
                                   float h) {
    live = std::clamp(live, 0, kPointStars);
    if (dv != 0.0f) move_vertically(dv, live, w, h);
    if (dh != 0.0f) move_horizontally(dh, live, w, h);
    for (int i = 0; i < live; ++i) {
        points[static_cast<std::size_t>(i)].a = random.draw() % 5 == 1 ? 100.0f : 255.0f;
    }
    for (GlowStar& g : glow) g.vertices[0].a = random.draw() % 10 == 1 ? 100.0f : 200.0f;
    for (int i = 0; i < live; ++i) draw_aa_point(points[static_cast<std::size_t>(i)]);
    for (const GlowStar& g : glow) {
        const auto& v = g.vertices;
        for (std::size_t j = 1; j < GlowStar::kVertices - 1; ++j)
            draw_triangle(v[0], v[j + 1], v[j]);
    }
}
