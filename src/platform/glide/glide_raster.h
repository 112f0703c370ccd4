// The triangle rasteriser shared by the drawing calls.
#pragma once

#include "platform/glide/glide.h"

// Draws a triangle with the fill rule, after the zero-area test and (when `cull`) the cull mode.
// False when the triangle was dropped by either test, so nothing of it may be drawn.
bool rasterize_triangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, bool cull);
