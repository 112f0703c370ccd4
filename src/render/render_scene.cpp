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

}  // namespace

void build_scene() {
    RenderState& st = render_state();
    // The draws below come from the shared generator in this exact order; keep it.
    //   1. The drift path's two splines.                        (small stars and drift path)
    //   2. The small stars and glow stars, scattered.           (small stars and drift path)
    //   3. The eight big stars, kinds 1 2 3 1 2 3 2 3: depth, y, x, radius 60, trails flag.
    //   4. If move randomly is off, a fixed course per big star.
    // 5. The four corner vertices of the flat background.
    set_flat_background_vertices(st);
    //   6. If the background is a tunnel one (is_tunnel_background), reset the tunnel.
}
