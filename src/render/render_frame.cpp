// render_frame: one frame of the star field, drawn and presented.
#include "render/render_frame.h"

#include <algorithm>

#include "render/render_calls.h"
#include "render/render_state.h"

namespace {

// Live big stars: the large star number held to the eight that exist.
int live_big_stars(const RenderState& st) {
    return std::clamp(st.large_star_number, 0, static_cast<int>(st.big_stars.size()));
}

void draw_flat_background(const RenderState& st) {
    select_texture(st.textures[kBackgroundTexture]);
    set_texture_mode();
    const auto& v = st.flat_background;
    draw_triangle(v[0], v[2], v[1]);
    draw_triangle(v[2], v[0], v[3]);
    set_plain_mode();
}

// +1, -1 or 0 for one axis of a course change: one draw thrown away, then r.
int random_direction(RenderRandom& random) {
    random.draw();
    const float r = random.r();
    if (r < 0.33f) return 1;
    if (r < 0.66f) return -1;
    return 0;
}

// Every 21st frame the live big stars change course. The generator is reseeded from the clock
// in seconds, so changes within the same second repeat the same directions.
void change_courses(RenderState& st) {
    if (++st.move_randomly_counter <= 20) return;
    st.move_randomly_counter = 0;
    st.random.seed(static_cast<std::uint32_t>(render_calendar_seconds()));
    const int live = live_big_stars(st);
    for (int i = 0; i < live; ++i) {
        const int dx = random_direction(st.random);
        const int dy = random_direction(st.random);
        const int dz = random_direction(st.random);
        st.big_stars[static_cast<std::size_t>(i)].nudge(dx, dy, dz);
    }
}

}  // namespace

void render_frame() {
    RenderState& st = render_state();
    const float w = st.screen_width, h = st.screen_height;
    clear_buffer();
    st.drift.step(st.small_star_speed);
    if (st.show_background && is_flat_background(st.background_number)) draw_flat_background(st);
    if (st.show_background && is_tunnel_background(st.background_number)) {
        st.tunnel.draw(st.textures[kBackgroundTexture], w, h);
    }
    set_star_mode();
    st.small_stars.move_and_draw(st.drift.dv, st.drift.dh, st.small_star_number, st.random, w, h);
    const int live = live_big_stars(st);
    for (int i = 0; i < live; ++i) {
        BigStar& star = st.big_stars[static_cast<std::size_t>(i)];
        star.update_and_draw(st.random, st.random_below,
                             st.textures[static_cast<std::size_t>(star.kind - 1)], w, h);
    }
    if (st.move_randomly) change_courses(st);
    swap_buffer();
}
