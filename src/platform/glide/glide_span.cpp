// The generic span routine (any pipeline state, one pixel at a time) and the choice of routine.
#include "platform/glide/glide_pipeline.h"

namespace {
bool g_force_generic = false;
}

void shade_spans_generic(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    float start[kParamCount], v[kParamCount];
    for (int i = 0; i < spans.n; ++i) {
        glide_math::span_start(s, spans, i, start);
        const int x = spans.x[i], y = spans.y[i];
        for (int k = 0; k < spans.count[i]; ++k) {
            const float fk = static_cast<float>(k);
            for (int j = 0; j < kParamCount; ++j) v[j] = start[j] + fk * s.step[j];
            std::uint16_t& dst = spans.row[i][x + k];
            dst = glide_math::shade_pixel(p, dst, x + k, y, v, s.rho);
        }
    }
}

namespace {

// SpanKind::kColorBlend: colour and alpha step along the span, nothing else is read.
void shade_spans_color_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    using glide_math::iterated_channel;
    float start[kParamCount];
    for (int i = 0; i < spans.n; ++i) {
        glide_math::span_start(s, spans, i, start);
        const int x = spans.x[i], y = spans.y[i];
        std::uint16_t* out = spans.row[i] + x;
        for (int k = 0; k < spans.count[i]; ++k) {
            const float fk = static_cast<float>(k);
            const int r = iterated_channel(start[kParamR] + fk * s.step[kParamR]);
            const int g = iterated_channel(start[kParamG] + fk * s.step[kParamG]);
            const int b = iterated_channel(start[kParamB] + fk * s.step[kParamB]);
            const int a = iterated_channel(start[kParamA] + fk * s.step[kParamA]);
            out[k] = glide_math::shade_color_blend_pixel(p, out[k], x + k, y, r, g, b, a);
        }
    }
}

}  // namespace

void shade_spans(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    static const bool vector_ok = vector_spans_available();
    if (p.kind == SpanKind::kTextureBlend && vector_ok && !g_force_generic) {
        shade_spans_texture_blend(p, spans, s);
    } else if (p.kind == SpanKind::kColorBlend && !g_force_generic) {
        if (vector_ok && p.dither) {
            shade_spans_color_blend_vector(p, spans, s);
        } else {
            shade_spans_color_blend(p, spans, s);
        }
    } else {
        shade_spans_generic(p, spans, s);
    }
}

void glide_force_generic_spans(bool force) { g_force_generic = force; }
bool glide_generic_spans_forced() { return g_force_generic; }
