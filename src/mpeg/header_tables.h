// Bit rates and sampling frequencies of MPEG audio frame headers.
#pragma once

// [version][layer][bitrate index] in bit/s: version 1 is MPEG-1, version 0 the lower sampling
// frequencies of MPEG-2. Layer 0 (the reserved layer bits), index 0 (free format) and index 15
// hold 0.
extern const int kBitrates[2][4][16];
// [version][sampling frequency index] in Hz; the reserved index 3 holds 1.
extern const int kSamplingFrequencies[2][4];
