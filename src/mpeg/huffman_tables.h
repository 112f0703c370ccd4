// Huffman code trees of layer III in two-byte-node form.
#pragma once

#include <cstdint>

// A leaf has a = 0 and holds its value in b (x in the upper and y in the lower nibble; for the
// count-1 tables v, w, x, y in bits 3..0). Otherwise a (for a 0 bit) or b (for a 1 bit) is the
// forward distance to the next node; a distance of 250 or more is a hop to a node whose
// same-side byte gives the rest of the way.
struct HuffmanNode {
    std::uint8_t a;
    std::uint8_t b;
};

struct HuffmanTable {
    char name[4];
    int x_length;
    int y_length;
    int linbits;
    int linbits_max;
    int shares;  // table whose tree this one uses, or -1
    const HuffmanNode* tree;
    int tree_length;
};

constexpr int kHuffmanHop = 250;

// Tables 0..31 for big values; 32 and 33 are the count-1 tables A and B.
extern const HuffmanTable kHuffmanTables[34];
