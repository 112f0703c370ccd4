// The Huffman tree walk and the lookup tables built from it.
#include "mpeg/huffman_decoder.h"

#include <algorithm>
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

int follow(const HuffmanTable& table, int node, int side) {
    int d = side ? table.tree[node].b : table.tree[node].a;
    while (d >= kHuffmanHop) {
        node += d;
        d = side ? table.tree[node].b : table.tree[node].a;
    }
    return node + d;
}

int depth_of(const HuffmanTable& table, int node) {
    if (table.tree[node].a == 0) return 0;
    return 1 + std::max(depth_of(table, follow(table, node, 0)),
                        depth_of(table, follow(table, node, 1)));
}

// Fills the entries of every prefix of `bits` bits that passes through node at depth.
void fill(const HuffmanTable& table, int node, int depth, unsigned prefix, int bits,
          std::vector<std::uint32_t>& entries) {
    if (table.tree[node].a == 0) {
        std::uint32_t leaf = 0x80000000u | (std::uint32_t(depth) << 8) | table.tree[node].b;
        unsigned first = prefix << (bits - depth);
        for (unsigned i = 0; i < (1u << (bits - depth)); ++i) entries[first + i] = leaf;
        return;
    }
    if (depth == bits) {
        entries[prefix] = static_cast<std::uint32_t>(node);
        return;
    }
    for (int side = 0; side < 2; ++side) {
        fill(table, follow(table, node, side), depth + 1, (prefix << 1) | unsigned(side), bits,
             entries);
    }
}

struct Lookups {
    std::vector<std::uint32_t> storage[34];
    HuffmanLookup lookup[34];

    Lookups() {
        for (int t = 0; t < 34; ++t) {
            const HuffmanTable& table = kHuffmanTables[t];
            if (table.tree_length == 0) continue;
            // Eight bits cover most codes; small trees are resolved completely.
            int bits = std::min(depth_of(table, 0), 8);
            storage[t].assign(std::size_t{1} << bits, 0);
            fill(table, 0, 0, 0, bits, storage[t]);
            lookup[t].bits = bits;
            lookup[t].entries = storage[t].data();
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
