// Tables computed for the layer I and II subbands: scale factors, layer I factors, group tables.
#pragma once

struct SubbandTables {
    float scale_factor[64];   // 2^(1 - i/3), entry 63 = 0
    float layer1_factor[15];  // by allocation: 2 / (2^(a+1) - 1)
    float layer1_offset[15];  // by allocation: (1 - 2^a) * factor
    float group3[27][3];      // requantised samples of a grouped code, 3 steps
    float group5[125][3];
    float group9[729][3];
};

const SubbandTables& subband_tables();
