// The scene the frame benchmarks draw: the Blue/red tunnel with trails, at a resolution and with
// given numbers of stars, flown on until the trails have grown to their steady length.
#pragma once

#include <cstdint>

#include "platform/glide/glide.h"
#include "platform/win/win_scripted.h"
#include "render/render_device.h"
#include "render/render_frame.h"
#include "render/render_state.h"

// Frames go to the presenter installed before the call.
inline void open_bench_scene(int resolution, int large_stars, int small_stars, ScriptedWin& win) {
    grGlideShutdown();
    reset_render_state();
    RenderState& st = render_state();
    st.calendar_seconds = [] { return std::int64_t{1000}; };
    st.resolution = resolution;
    st.background_number = 7;
    st.show_background = 1;
    st.show_trails = 1;
    st.large_star_number = large_stars;
    st.small_star_number = small_stars;
    win.set_tick(5);
    open_render_device();
    for (int i = 0; i < 200; ++i) render_frame();
}
