// build_scene: the scene-building steps of open_render_device, in their order.
#include "render/render_device.h"
#include "render/render_state.h"

namespace {

// The flat background covers the screen with the picture upright (texel row 0 at the top),
// blended at 150/255 over black.
void set_flat_background_vertices(RenderState& st) {
    const float w = st.screen_width, h = st.screen_height;
    const float corners[4][4] = {// x, y, s, t
                                 {0, 0, 0, 255},
                                 {w, 0, 255, 255},
                                 {w, h, 255, 0},
                                 {0, h, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        GrVertex v{};
        v.x = corners[i][0];
        v.y = corners[i][1];
        v.a = 150.0f;
        v.oow = 1.0f;
        v.tmuvtx[0] = {corners[i][2], corners[i][3], 1.0f};
        v.tmuvtx[1] = v.tmuvtx[0];
        st.flat_background[i] = v;
    }
}

// (-1) raised to the integer part of r * 6 + 1: +1 or -1, from one draw.
float random_sign(RenderRandom& random) {
    return static_cast<int>(random.r() * 6.0f + 1.0f) % 2 == 0 ? 1.0f : -1.0f;
}

// A fixed course for a star when move randomly is off: 0.1 to 0.3 in depth, 1.2 pixels a frame
// diagonally, with signs drawn in the order z, y, x.
void set_fixed_course(BigStar& star, RenderRandom& random) {
    const float sz = random_sign(random);
    const float vz = sz * (random.r() * 0.2f + 0.1f);
    const float vy = random_sign(random) * 1.2f;
    const float vx = random_sign(random) * 1.2f;
    star.set_velocity(vx, vy, vz);
}

}  // namespace

void build_scene() {
    RenderState& st = render_state();
    const float w = st.screen_width, h = st.screen_height;
    // The draws below come from the shared generator in this exact order; a scene is repeatable
    // from its seed only while it stays so.
    // 1. The drift path's splines (no draws).
    st.drift.build();
    // 2. The small stars and glow stars.
    st.small_stars.scatter(st.random, w, h);
    // 3. The eight big stars: depth, then y, then x, each from the generator.
    static constexpr int kKinds[8] = {1, 2, 3, 1, 2, 3, 2, 3};
    for (std::size_t i = 0; i < st.big_stars.size(); ++i) {
        const float z = static_cast<float>(st.random.draw() % 140 + 10);
        const float y = static_cast<float>(static_cast<int>(st.random.r() * h));
        const float x = static_cast<float>(static_cast<int>(st.random.r() * w));
        st.big_stars[i].init(60.0f, x, y, z, kKinds[i], st.show_trails);
    }
    // 4. Fixed courses unless the courses change at random.
    if (!st.move_randomly) {
        for (BigStar& star : st.big_stars) set_fixed_course(star, st.random);
    }
    // 5. The four corner vertices of the flat background.
    set_flat_background_vertices(st);
    // 6. The tunnel's rings, for the 3-D backgrounds.
    if (is_tunnel_background(st.background_number)) st.tunnel.reset();
}
