// The vector span routines for the saver's alpha-blended spans, textured and coloured, one set
// per instruction set (AVX-512 and AVX2, chosen at run time), doing exactly the arithmetic of
// glide_math::shade_pixel.
#include "platform/glide/glide_pipeline.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

namespace span_avx512 {
#define LUMIVEX_TARGET __attribute__((target("avx2,avx512f,avx512vl,avx512bw,avx512dq")))
#define LUMIVEX_AVX512 1
#include "platform/glide/glide_span_vector.inc"
#undef LUMIVEX_AVX512
#undef LUMIVEX_TARGET
}  // namespace span_avx512

namespace span_avx2 {
#define LUMIVEX_TARGET __attribute__((target("avx2")))
#define LUMIVEX_AVX512 0
#include "platform/glide/glide_span_vector.inc"
#undef LUMIVEX_AVX512
#undef LUMIVEX_TARGET
}  // namespace span_avx2

namespace {

using SpanRoutine = void (*)(const Pipeline&, const SpanList&, const SpanPlanes&);

struct SpanRoutines {
    SpanRoutine texture_blend = nullptr;
    SpanRoutine color_blend = nullptr;
};

constexpr SpanRoutines kAvx512Spans{span_avx512::texture_blend_spans,
                                    span_avx512::color_blend_spans};
constexpr SpanRoutines kAvx2Spans{span_avx2::texture_blend_spans, span_avx2::color_blend_spans};

SpanRoutines best_routines() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
        return kAvx512Spans;
    }
    if (__builtin_cpu_supports("avx2")) return kAvx2Spans;
    return {};
}

SpanRoutines& routines() {
    static SpanRoutines r = best_routines();
    return r;
}

}  // namespace

bool vector_spans_available() { return routines().texture_blend != nullptr; }

bool vector_spans_select(SpanIsa isa) {
    switch (isa) {
        case SpanIsa::kBest:
            routines() = best_routines();
            break;
        case SpanIsa::kAvx2:
            if (!__builtin_cpu_supports("avx2")) return false;
            routines() = kAvx2Spans;
            break;
    }
    return vector_spans_available();
}

void shade_spans_texture_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    routines().texture_blend(p, spans, s);
}

void shade_spans_color_blend_vector(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    routines().color_blend(p, spans, s);
}

#else

bool vector_spans_available() { return false; }
bool vector_spans_select(SpanIsa) { return false; }

void shade_spans_texture_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    shade_spans_generic(p, spans, s);
}

void shade_spans_color_blend_vector(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    shade_spans_generic(p, spans, s);
}

#endif
