// Layer III scale factors: the MPEG-1 form with scfsi reuse, and the lower-sampling-frequency form.
#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

void Layer3Decoder::read_scale_factors(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    ScaleFactors& sf = scale_factors[ch];
    MainDataReservoir& r = *reservoir_;
    int slen1 = kSlen[g.scale_factor_compress & 15][0];
    int slen2 = kSlen[g.scale_factor_compress & 15][1];

    if (g.any_short()) {
        int first_short = 0;
        if (g.mixed_block) {
            for (int k = 0; k < 8; ++k) sf.long_band[k] = static_cast<int>(r.read_bits(slen1));
            first_short = 3;
        }
        for (int k = first_short; k < 12; ++k) {
            int slen = k < 6 ? slen1 : slen2;
            for (int w = 0; w < 3; ++w) sf.short_band[w][k] = static_cast<int>(r.read_bits(slen));
        }
        for (int w = 0; w < 3; ++w) sf.short_band[w][12] = 0;
        return;
    }
    static const int kGroupStart[5] = {0, 6, 11, 16, 21};
    for (int group = 0; group < 4; ++group) {
        if (gr == 1 && side_info.channel[ch].scfsi[group]) continue;  // granule 0's values stay
        int slen = group < 2 ? slen1 : slen2;
        for (int k = kGroupStart[group]; k < kGroupStart[group + 1]; ++k) {
            sf.long_band[k] = static_cast<int>(r.read_bits(slen));
        }
    }
    sf.long_band[21] = 0;
    sf.long_band[22] = 0;
}

void Layer3Decoder::read_scale_factors_lsf(int ch) {
    GranuleInfo& g = side_info.channel[ch].granule[0];
    ScaleFactors& sf = scale_factors[ch];
    MainDataReservoir& r = *reservoir_;
    int kind = !g.any_short() ? 0 : (g.mixed_block ? 2 : 1);
    int sc = g.scale_factor_compress;
    int slen[4] = {0, 0, 0, 0};
    int row = 0;
    bool intensity = header_->mode == kJointStereo && (header_->mode_extension & 1);
    if (ch == 1 && intensity) {
        int h = sc >> 1;
        g.preflag = 0;
        if (sc <= 359) {
            slen[0] = h / 36;
            slen[1] = (h % 36) / 6;
            slen[2] = (h % 36) % 6;
            row = 3;
        } else if (sc < 488) {
            slen[0] = ((h - 180) % 64) / 16;
            slen[1] = ((h - 180) % 16) / 4;
            slen[2] = (h - 180) % 4;
            row = 4;
        } else {
            // The last range, 244..255 after halving, runs to the end of the field: 510 and
            // 511 take the same formula as 488..509 (slen 3 and 2).
            slen[0] = (h - 244) / 3;
            slen[1] = (h - 244) % 3;
            row = 5;
        }
    } else if (sc < 400) {
        slen[0] = sc / 80;
        slen[1] = (sc / 16) % 5;
        slen[2] = (sc % 16) / 4;
        slen[3] = sc % 4;
        row = 0;
        g.preflag = 0;
    } else if (sc < 500) {
        int q = (sc - 400) / 4;
        slen[0] = q / 5;
        slen[1] = q % 5;
        slen[2] = (sc - 400) % 4;
        row = 1;
        g.preflag = 0;
    } else {
        slen[0] = (sc - 500) / 3;
        slen[1] = (sc - 500) % 3;
        row = 2;
        g.preflag = 1;
    }

    int values[45] = {};
    int n = 0;
    for (int group = 0; group < 4; ++group) {
        int count = kLsfScaleFactorCounts[row][kind][group];
        for (int i = 0; i < count && n < 45; ++i)
            values[n++] = static_cast<int>(r.read_bits(slen[group]));
    }

    for (int w = 0; w < 3; ++w) sf.short_band[w][12] = 0;
    if (kind == 0) {
        for (int k = 0; k < 21; ++k) sf.long_band[k] = values[k];
        sf.long_band[21] = sf.long_band[22] = 0;
    } else if (kind == 2) {
        // Mixed: the long part is the first 36 lines, long bands 0..5 at these frequencies,
        // then short bands 3..11.
        int i = 0;
        for (int k = 0; k < 23; ++k) sf.long_band[k] = 0;
        for (int k = 0; k < mixed_long_bands(); ++k) sf.long_band[k] = values[i++];
        for (int k = 3; k < 12; ++k) {
            for (int w = 0; w < 3; ++w) sf.short_band[w][k] = values[i++];
        }
    } else {
        int i = 0;
        for (int k = 0; k < 12; ++k) {
            for (int w = 0; w < 3; ++w) sf.short_band[w][k] = values[i++];
        }
    }
}
