// render_frame: for now a black frame at the configured resolution, paced by the swap.
#include "render/render_frame.h"

#include "platform/glide/glide.h"

void render_frame() {
    grBufferClear(0, 0, 0);
    // The star field's steps go here: drift step, background, small stars, big stars, the
    // move-randomly schedule.
    grBufferSwap(1);
}
