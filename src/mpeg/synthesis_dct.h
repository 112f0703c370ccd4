// The 32-point cosine transform of the synthesis filter's matrixing step (Lee's factorisation).
#pragma once

// out[m] = sum over k of in[k] * cos((2k + 1) m pi / 64), m = 0..31, in single precision.
void synthesis_dct32(const float* in, float* out);

// The same transform for several runs at once, each lane of the vector unit doing one run with
// exactly the single-run arithmetic: in[r * run_stride + sb * sb_stride] is subband sb of run
// r (either stride is 1), and out[32 * r + m] receives output m of run r.
void synthesis_dct32_batch(const float* in, int run_stride, int sb_stride, int runs, float* out);
