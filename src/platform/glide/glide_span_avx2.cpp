// The vector span routine for textured, alpha-blended spans (stub until written).
#include "platform/glide/glide_pipeline.h"

bool texture_blend_span_available() { return false; }

void shade_span_texture_blend(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                              const SpanSetup& s) {
    shade_span_generic(p, row, x, count, y, s);
}
