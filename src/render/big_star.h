// The near layer: a big textured star that pulses, bounces through depth and sheds a trail.
#pragma once

#include <array>
#include <optional>

#include "platform/glide/glide.h"
#include "render/random_below.h"
#include "render/render_random.h"
#include "render/star_field_tables.h"

struct DeviceTexture;

// One spark of a trail; its vertex's alpha is its remaining life.
struct TrailParticle {
    float vx = 0.0f, vy = 0.0f, vz = 0.0f;
    float depth = 0.0f;  // the star's depth when it was shed
    GrVertex vertex{};
};

struct BigStar {
    static constexpr int kRim = 40;
    static constexpr int kCentre = 40;
    static constexpr int kParticleSlots = 300;
    static constexpr int kNewParticlesPerFrame = 3;

    std::array<GrVertex, kRim + 1> vertices{};
    std::array<PointXY, kRim + 1> unit{};
    float pulse_floor = 0.0f;
    float brightness = 255.0f;
    int pulse_rising = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int kind = 1;
    float radius_base = 60.0f;
    float vx = 0.0f, vy = 0.0f, vz = 0.0f;
    int trails = 0;
    std::array<std::optional<TrailParticle>, kParticleSlots> particles{};

    void init(float radius_base, float x, float y, float z, int kind, int trails);
    void set_velocity(float vx, float vy, float vz);
    // A course change: each of dx, dy, dz is -1, 0 or +1.
    void nudge(int dx, int dy, int dz);
    // One frame: pulse, trail, draw the disc with `image`, bounce, move, rebuild the vertices.
    void update_and_draw(RenderRandom& random, RandomBelow& below, const DeviceTexture& image,
                         float w, float h);
};

// The 40 rim directions, counter-clockwise from +x, then the centre (0, 0).
std::array<PointXY, BigStar::kRim + 1> big_star_unit_shape();
