// Layer III reordering of short blocks and alias reduction between subbands.
#include <cstring>

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

void Layer3Decoder::reorder(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    const float* in = stereo_out[ch];
    if (!g.any_short()) {
        std::memcpy(work, in, 576 * sizeof(float));
        return;
    }
    if (!g.mixed_block) {
        const short* table = layer3_tables().reorder[band_table_index_];
        for (int i = 0; i < 576; ++i) work[i] = in[table[i]];
        return;
    }
    // Mixed: the long part (the first 36 lines) stays, short bands 3..12 are interleaved.
    const int* sb = kShortBandBoundaries[band_table_index_];
    std::memcpy(work, in, 36 * sizeof(float));
    for (int k = 3; k < 13; ++k) {
        int width = sb[k + 1] - sb[k];
        int start = 3 * sb[k];
        for (int w = 0; w < 3; ++w) {
            for (int j = 0; j < width; ++j) work[start + 3 * j + w] = in[start + w * width + j];
        }
    }
}

void Layer3Decoder::alias_reduction(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    if (g.short_blocks()) return;
    const Layer3Tables& t = layer3_tables();
    int boundaries = g.mixed_blocks() ? 1 : 31;
    for (int sb = 0; sb < boundaries; ++sb) {
        float* lower = work + 18 * sb + 17;
        float* upper = work + 18 * (sb + 1);
        for (int i = 0; i < 8; ++i) {
            float lo = lower[-i];
            float up = upper[i];
            lower[-i] = lo * t.cs[i] - up * t.ca[i];
            upper[i] = up * t.cs[i] + lo * t.ca[i];
        }
    }
}
