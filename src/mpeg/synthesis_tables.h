// The synthesis window of the polyphase filter bank.
#pragma once

// D[i] = kSynthesisWindowNumerators[i] / 65536 exactly (ISO/IEC 11172-3 Table 3-B.3).
extern const int kSynthesisWindowNumerators[512];
