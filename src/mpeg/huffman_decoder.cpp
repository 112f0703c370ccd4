// The Huffman tree walk and the lookup tables built from it.
#include "mpeg/huffman_decoder.h"

#include <vector>

HuffmanWalk walk_huffman_tree(const HuffmanNode* tree, int tree_length, int start_node,
                              std::uint64_t bits, int max_steps) {
    int i = start_node;
    int steps = 0;
    while (i >= 0 && i < tree_length) {
        if (tree[i].a == 0) return {true, tree[i].b, steps};
        if (steps == max_steps) break;
        bool one = (bits >> 63) != 0;
        bits <<= 1;
        ++steps;
        int d = one ? tree[i].b : tree[i].a;
        while (d >= kHuffmanHop) {
            i += d;
            if (i >= tree_length) return {false, 0, steps};
            d = one ? tree[i].b : tree[i].a;
        }
        i += d;
    }
    return {false, 0, max_steps};
}

namespace {

struct Lookups {
    std::vector<std::uint32_t> storage[34];
    HuffmanLookup lookup[34];

    Lookups() {
        for (int t = 0; t < 34; ++t) {
            const HuffmanTable& table = kHuffmanTables[t];
            if (table.tree_length == 0) continue;
            // Eight bits cover most codes; small trees are resolved completely.
            int depth = 0;
            for (int prefix = 0; prefix < (1 << 12); ++prefix) {
                HuffmanWalk w = walk_huffman_tree(table.tree, table.tree_length, 0,
                                                  std::uint64_t(prefix) << 52, 12);
                if (w.found && w.length > depth) depth = w.length;
            }
            int bits = depth < 8 ? depth : 8;
            std::vector<std::uint32_t>& e = storage[t];
            e.resize(std::size_t{1} << bits);
            for (int prefix = 0; prefix < (1 << bits); ++prefix) {
                std::uint64_t code = std::uint64_t(prefix) << (64 - bits);
                HuffmanWalk w = walk_huffman_tree(table.tree, table.tree_length, 0, code, bits);
                if (w.found) {
                    e[prefix] =
                        0x80000000u | (std::uint32_t(w.length) << 8) | std::uint32_t(w.value);
                } else {
                    // Where the walk stands after all the prefix bits.
                    int node = 0;
                    for (int k = 0; k < bits; ++k) {
                        bool one = (prefix >> (bits - 1 - k)) & 1;
                        int d = one ? table.tree[node].b : table.tree[node].a;
                        while (d >= kHuffmanHop) {
                            node += d;
                            d = one ? table.tree[node].b : table.tree[node].a;
                        }
                        node += d;
                    }
                    e[prefix] = static_cast<std::uint32_t>(node);
                }
            }
            lookup[t].bits = bits;
            lookup[t].entries = e.data();
        }
    }
};

const HuffmanLookup kEmpty{};

}  // namespace

const HuffmanLookup& huffman_lookup(int table) {
    static const Lookups lookups;
    if (table < 0 || table >= 34 || lookups.lookup[table].entries == nullptr) return kEmpty;
    return lookups.lookup[table];
}
