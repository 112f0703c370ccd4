// The generic span routine (any pipeline state, one pixel at a time) and the choice of routine.
#include "platform/glide/glide_pipeline.h"

namespace {
bool g_force_generic = false;
}

void shade_span_generic(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                        const SpanSetup& s) {
    float v[kParamCount];
    for (int k = 0; k < count; ++k) {
        const float fk = static_cast<float>(k);
        for (int i = 0; i < kParamCount; ++i) v[i] = s.start[i] + fk * s.step[i];
        row[x + k] = glide_math::shade_pixel(p, row[x + k], x + k, y, v, s.rho);
    }
}

void shade_span(const Pipeline& p, std::uint16_t* row, int x, int count, int y,
                const SpanSetup& s) {
    static const bool vector_ok = texture_blend_span_available();
    if (p.kind == SpanKind::kTextureBlend && vector_ok && !g_force_generic) {
        shade_span_texture_blend(p, row, x, count, y, s);
    } else {
        shade_span_generic(p, row, x, count, y, s);
    }
}

void glide_force_generic_spans(bool force) { g_force_generic = force; }
