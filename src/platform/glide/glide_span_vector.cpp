// The vector span routines for the saver's textured, alpha-blended spans, one per instruction
// set (AVX-512 and AVX2, chosen at run time), doing exactly the arithmetic of
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

SpanRoutine best_routine() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
        return span_avx512::texture_blend_spans;
    }
    if (__builtin_cpu_supports("avx2")) return span_avx2::texture_blend_spans;
    return nullptr;
}

SpanRoutine& routine() {
    static SpanRoutine r = best_routine();
    return r;
}

}  // namespace

bool texture_blend_span_available() { return routine() != nullptr; }

bool texture_blend_span_select(TextureBlendIsa isa) {
    switch (isa) {
        case TextureBlendIsa::kBest:
            routine() = best_routine();
            break;
        case TextureBlendIsa::kAvx2:
            if (!__builtin_cpu_supports("avx2")) return false;
            routine() = span_avx2::texture_blend_spans;
            break;
    }
    return routine() != nullptr;
}

void shade_spans_texture_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    routine()(p, spans, s);
}

#else

bool texture_blend_span_available() { return false; }
bool texture_blend_span_select(TextureBlendIsa) { return false; }

void shade_spans_texture_blend(const Pipeline& p, const SpanList& spans, const SpanPlanes& s) {
    shade_spans_generic(p, spans, s);
}

#endif
