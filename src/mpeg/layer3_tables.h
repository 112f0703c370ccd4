// Layer III band tables read from the standards, and the tables computed from formulas.
#pragma once

extern const int kLongBandBoundaries[6][23];
extern const int kShortBandBoundaries[6][14];
extern const int kSlen[16][2];
extern const int kPretab[22];
extern const int kLsfScaleFactorCounts[6][3][4];

// Tables computed once, on first use.
struct Layer3Tables {
    float power[8207];              // n^(4/3), up to 15 + 8191, the largest code
    float gain[64];                 // 2^(-n/2)
    float intensity_ratio[16];      // tan(i pi / 12), entry 6 = 1e11
    float intensity_factor[2][32];  // 2^(-n/4) and 2^(-n/2)
    short reorder[6][576];          // source line of each output line, short blocks
    float cs[8];
    float ca[8];
    // Inverse transform windows with the fast transform's output factors folded in.
    float long_window[4][36];
    float short_window[12];
};

const Layer3Tables& layer3_tables();
