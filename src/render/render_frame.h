// Drawing and presenting one frame.
#pragma once

// Clears, draws the frame and swaps; the swap waits for one vertical retrace.
void render_frame();
