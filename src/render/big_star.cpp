// Big stars: creation, course, the pulse, the trail particles and the antialiased disc.
#include "render/big_star.h"

#include "render/render_calls.h"
#include "render/render_state.h"

namespace {

// Moves a velocity component one step towards 0; it may pass 0 by part of a step.
float pull_towards_zero(float v, float step) {
    if (v > 0.0f) return v - step;
    if (v < 0.0f) return v + step;
    return v;
}

// Deeper (further) stars leave longer trails: their particles fade more slowly.
float fade_for_depth(float depth) {
    if (depth < 20.0f) return 18.0f;
    if (depth < 35.0f) return 14.0f;
    if (depth < 60.0f) return 10.0f;
    if (depth < 100.0f) return 6.0f;
    return 3.0f;
}

// Speeds change by `step` up to `limit`; the test comes first, so one step past it can happen.
float nudged(float v, int direction, float limit, float step) {
    if (v > -limit && direction == -1) v -= step;
    if (v < limit && direction == 1) v += step;
    return v;
}

}  // namespace

std::array<PointXY, BigStar::kRim + 1> big_star_unit_shape() {
    std::array<PointXY, BigStar::kRim + 1> u{};
    for (int i = 0; i <= 10; ++i)
        u[static_cast<std::size_t>(i)] = kBigStarQuarter[static_cast<std::size_t>(i)];
    for (int i = 11; i <= 20; ++i) {
        const PointXY& p = u[static_cast<std::size_t>(20 - i)];
        u[static_cast<std::size_t>(i)] = {-p.x, p.y};
    }
    for (int i = 21; i <= 39; ++i) {
        const PointXY& p = u[static_cast<std::size_t>(40 - i)];
        u[static_cast<std::size_t>(i)] = {p.x, -p.y};
    }
    u[BigStar::kCentre] = {0.0f, 0.0f};
    return u;
}

void BigStar::init(float radius_base_, float x_, float y_, float z_, int kind_, int trails_) {
    brightness = 255.0f;
    pulse_rising = 0;
    trails = trails_;
    for (auto& p : particles) p.reset();
    vx = vy = vz = 0.0f;
    kind = kind_;
    radius_base = radius_base_;
    x = x_;
    y = y_;
    z = z_;
    unit = big_star_unit_shape();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        GrVertex& v = vertices[i];
        v = GrVertex{};
        const float s = static_cast<float>(static_cast<int>(unit[i].x * 128.0f) + 128);
        const float t = static_cast<float>(static_cast<int>(unit[i].y * 128.0f) + 128);
        v.x = x + radius_base * unit[i].x;
        v.y = y + radius_base * unit[i].y;
        v.oow = 1.0f;
        v.tmuvtx[0] = {s, t, 1.0f};
        v.tmuvtx[1] = v.tmuvtx[0];
        v.a = 0.0f;
    }
    vertices[kCentre].a = 255.0f;
}

void BigStar::set_velocity(float vx_, float vy_, float vz_) {
    vx = vx_;
    vy = vy_;
    vz = vz_;
}

void BigStar::nudge(int dx, int dy, int dz) {
    vx = nudged(vx, dx, 1.2f, 0.2f);
    vy = nudged(vy, dy, 1.2f, 0.2f);
    vz = nudged(vz, dz, 0.4f, 0.04f);
}

void BigStar::update_and_draw(RenderRandom& random, RandomBelow& below, const DeviceTexture& image,
                              float w, float h) {
    // 1. The pulse: dim to a floor drawn anew at each peak, then brighten back past 254.
    if (brightness > 254.0f) {
        pulse_floor = static_cast<float>(below(30));
        pulse_rising = 0;
    }
    if (255.0f - pulse_floor > brightness) pulse_rising = 1;
    brightness += pulse_rising ? 6.0f : -6.0f;
    vertices[kCentre].a = brightness;

    // 2. The trail: living particles drift and fade; dead or empty slots take new ones, at most
    // three a frame.
    if (trails) {
        int budget = kNewParticlesPerFrame;
        for (auto& slot : particles) {
            if (slot && slot->vertex.a > 1.0f) {
                TrailParticle& p = *slot;
                p.vertex.x += p.vx;
                p.vertex.y += p.vy;
                p.vertex.a -= fade_for_depth(p.depth);
                p.vx = pull_towards_zero(p.vx, 0.05f);
                p.vy = pull_towards_zero(p.vy, 0.05f);
                p.vz = pull_towards_zero(p.vz, 0.01f);
                if (p.vertex.a > 0.0f) {
                    if (random.r() < 0.05f) {
                        // An occasional bright spark: one full pixel, a little more opaque.
                        GrVertex spark = p.vertex;
                        spark.a += 60.0f;
                        draw_point(spark);
                    } else {
                        draw_aa_point(p.vertex);
                    }
                }
                continue;
            }
            if (budget <= 0) continue;
            const float a1 = random.r() * 0.18f;
            const float a2 = random.r() * 0.18f;
            const int k1 = static_cast<int>(random.r() * 39.0f);
            const int k2 = static_cast<int>(random.r() * 39.0f);
            TrailParticle p;
            p.vertex.x = vertices[static_cast<std::size_t>(k1)].x * (0.18f - a1) + (a1 + 0.82f) * x;
            p.vertex.y = vertices[static_cast<std::size_t>(k2)].y * (0.18f - a2) + (a2 + 0.82f) * y;
            // Particles are white whichever colour mode is current when they are drawn.
            p.vertex.r = p.vertex.g = p.vertex.b = 255.0f;
            p.vertex.a = 210.0f;
            p.vertex.oow = 1.0f;
            p.vx = -vx;
            p.vy = -vy;
            p.vz = -vz;
            p.depth = z;
            slot = p;
            --budget;
        }
    }

    // 3-5. The disc: the star's image, only the rim edges antialiased.
    select_texture(image);
    set_texture_mode();
    for (int k = 0; k < kRim - 1; ++k) {
        draw_aa_triangle(vertices[kCentre], vertices[static_cast<std::size_t>(k + 1)],
                         vertices[static_cast<std::size_t>(k)], false, true, false);
    }
    draw_aa_triangle(vertices[kCentre], vertices[0], vertices[kRim - 1], false, true, false);
    set_plain_mode();

    // 6. Bounce off the depth range and off margins 50 pixels outside the screen.
    if (z < 10.0f || z > 200.0f) vz = -vz;
    if (x > w + 50.0f || x < -50.0f) vx = -vx;
    if (y > h + 50.0f || y < -50.0f) vy = -vy;

    // 7, 8. Move, then place the disc for the next frame: what is drawn lags one frame behind.
    x += vx;
    y += vy;
    z += vz;
    const float radius = static_cast<float>(static_cast<int>(z * 0.01f * radius_base));
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        vertices[i].x = x + radius * unit[i].x;
        vertices[i].y = y + radius * unit[i].y;
    }
}
