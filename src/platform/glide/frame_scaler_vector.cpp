// The frame scaler's vector row routines, one per instruction set (AVX-512 and AVX2), chosen at
// run time; each gives exactly the portable routines' results.
#include "platform/glide/frame_scaler_kernels.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))

#include <immintrin.h>

#include <algorithm>
#include <cstdint>

namespace scaler_avx512 {
#define LUMIVEX_TARGET __attribute__((target("avx2,avx512f,avx512vl,avx512bw,avx512dq")))
#define LUMIVEX_AVX512 1
#include "platform/glide/frame_scaler_vector.inc"
#undef LUMIVEX_AVX512
#undef LUMIVEX_TARGET
}  // namespace scaler_avx512

namespace scaler_avx2 {
#define LUMIVEX_TARGET __attribute__((target("avx2")))
#define LUMIVEX_AVX512 0
#include "platform/glide/frame_scaler_vector.inc"
#undef LUMIVEX_AVX512
#undef LUMIVEX_TARGET
}  // namespace scaler_avx2

const ScalerRoutines* avx512_scaler() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl");
    }();
    return supported ? &scaler_avx512::kRoutines : nullptr;
}

const ScalerRoutines* avx2_scaler() {
    static const bool supported = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return supported ? &scaler_avx2::kRoutines : nullptr;
}

#else

const ScalerRoutines* avx512_scaler() { return nullptr; }
const ScalerRoutines* avx2_scaler() { return nullptr; }

#endif
