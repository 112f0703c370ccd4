// The one renderer state object and the background table.
#include "render/render_state.h"

#include <ctime>
#include <memory>

RenderState& render_state() {
    static RenderState state;
    return state;
}

void reset_render_state() {
    // Built on the heap: the scene is too large to pass through the stack comfortably.
    auto fresh = std::make_unique<RenderState>();
    render_state() = std::move(*fresh);
}

std::int64_t render_calendar_seconds() {
    const RenderState& st = render_state();
    return st.calendar_seconds ? st.calendar_seconds()
                               : static_cast<std::int64_t>(std::time(nullptr));
}

int background_resource_id(int background_number) {
    static constexpr int kResources[9] = {1143, 1115, 1119, 160, 1124, 1117, 1108, 153, 155};
    if (background_number < 0 || background_number > 8) return 153;
    return kResources[background_number];
}

bool is_tunnel_background(int n) {
    return n == 0 || n == 3 || n == 5 || n == 6 || n == 7 || n == 8;
}

bool is_flat_background(int n) { return n == 1 || n == 2 || n == 4; }
