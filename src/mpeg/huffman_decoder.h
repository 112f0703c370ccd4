// Decoding one Huffman code of layer III from a tree, with a lookup of the first bits.
#pragma once

#include <cstdint>

#include "mpeg/huffman_tables.h"

// The walk of a tree, one bit per step from the top of bits: the leaf byte and the bits used,
// or found = false when no leaf is reached within max_steps steps or the walk leaves the tree.
struct HuffmanWalk {
    bool found;
    int value;
    int length;
};
HuffmanWalk walk_huffman_tree(const HuffmanNode* tree, int tree_length, int start_node,
                              std::uint64_t bits, int max_steps);

constexpr int kHuffmanMaxSteps = 32;

// A table indexed by the next few bits, derived from a tree by walking it: either the leaf
// reached within those bits with the code length, or the node where the walk stands after them.
struct HuffmanLookup {
    int bits = 0;
    // Leaf: 0x80000000 | length << 8 | value; else the node index.
    const std::uint32_t* entries = nullptr;
};

// The lookup of table 0..33 (empty for tables without a tree).
const HuffmanLookup& huffman_lookup(int table);

// Decodes one code of the table from the top of bits: returns the leaf byte, sets length to
// the bits used. A walk without a leaf gives 0 after kHuffmanMaxSteps bits.
inline int decode_huffman(const HuffmanTable& table, const HuffmanLookup& lookup,
                          std::uint64_t bits, int& length) {
    std::uint32_t e = lookup.entries[bits >> (64 - lookup.bits)];
    if (e & 0x80000000u) {
        length = static_cast<int>((e >> 8) & 0xFF);
        return static_cast<int>(e & 0xFF);
    }
    HuffmanWalk walk = walk_huffman_tree(table.tree, table.tree_length, static_cast<int>(e),
                                         bits << lookup.bits, kHuffmanMaxSteps - lookup.bits);
    length = lookup.bits + walk.length;
    return walk.found ? walk.value : 0;
}
