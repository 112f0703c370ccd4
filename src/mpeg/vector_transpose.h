// Eight-lane float vectors of the compiler's vector extension, and their 8 x 8 transpose.
#pragma once

typedef float V8f __attribute__((vector_size(32)));

// Transposes eight vectors of eight: a[r][c] becomes t[c][r], in three rounds of interleaving.
[[gnu::always_inline]] inline void transpose8(const V8f* a, V8f* t) {
    V8f p[8], q[8];
    for (int i = 0; i < 8; i += 2) {
        p[i] = __builtin_shufflevector(a[i], a[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        p[i + 1] = __builtin_shufflevector(a[i], a[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    for (int i = 0; i < 8; i += 4) {
        q[i] = __builtin_shufflevector(p[i], p[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        q[i + 1] = __builtin_shufflevector(p[i], p[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        q[i + 2] = __builtin_shufflevector(p[i + 1], p[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
        q[i + 3] = __builtin_shufflevector(p[i + 1], p[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int c = 0; c < 4; ++c) {
        t[c] = __builtin_shufflevector(q[c], q[c + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        t[c + 4] = __builtin_shufflevector(q[c], q[c + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}
