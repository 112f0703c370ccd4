// Layer II allocation tables and classes of quantisation (ISO/IEC 11172-3 B.2, B.4; 13818-3 B.1).
#pragma once

struct Layer2Class {
    int steps;
    bool grouped;  // three samples share one code (3, 5 and 9 steps)
    int bits;      // bits of one code
    float c;
    float d;
};

struct Layer2AllocationRow {
    int width;            // bits of the allocation field
    signed char cls[16];  // class index per allocation value, -1 for none
};

struct Layer2AllocationTable {
    int subband_limit;
    Layer2AllocationRow rows[30];
};

// Classes by ascending number of steps.
extern const Layer2Class kLayer2Classes[17];

enum Layer2TableId { kTableB2a = 0, kTableB2b = 1, kTableB2c = 2, kTableB2d = 3, kTableLsfB1 = 4 };
extern const Layer2AllocationTable kLayer2AllocationTables[5];
