// The Huffman trees: built from the standard's codewords, walked with hops, and the bounds of
// a walk that finds no leaf.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "mpeg/huffman_decoder.h"
#include "mpeg/huffman_tables.h"
#include "mpeg_test_util.h"

using namespace mpeg_test;

TEST(HuffmanTables, TreesAreCompleteCodesWithTheStandardsParameters) {
    const int linbits[32] = {0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0,  0,
                             1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
    for (int t = 0; t < 34; ++t) {
        const HuffmanTable& table = kHuffmanTables[t];
        EXPECT_EQ(std::string(table.name), std::to_string(t));
        if (t < 32) {
            EXPECT_EQ(table.linbits, linbits[t]) << t;
        }
        EXPECT_EQ(table.linbits_max, (1 << table.linbits) - 1);
        if (t == 0 || t == 4 || t == 14) {
            EXPECT_EQ(table.tree_length, 0);
            continue;
        }
        auto words = codewords_of(table);
        int count = t >= 32 ? 16 : table.x_length * table.y_length;
        EXPECT_EQ(static_cast<int>(words.size()), count) << t;
        double kraft = 0;
        for (auto& [value, word] : words) kraft += std::ldexp(1.0, -static_cast<int>(word.size()));
        EXPECT_DOUBLE_EQ(kraft, 1.0) << t;
        EXPECT_EQ(table.tree_length, 2 * count - 1) << t;
    }
    EXPECT_EQ(kHuffmanTables[17].tree, kHuffmanTables[16].tree);
    EXPECT_EQ(kHuffmanTables[31].tree, kHuffmanTables[24].tree);
    EXPECT_EQ(kHuffmanTables[32].x_length, 1);
    EXPECT_EQ(kHuffmanTables[32].y_length, 16);
    EXPECT_EQ(kHuffmanTables[33].tree_length, 31);
}

TEST(HuffmanTables, EveryCodewordOfTheStandardDecodes) {
    std::filesystem::path dir = std::filesystem::path(LUMIVEX_SHARED_DIR) / "mpeg-tables/huffman";
    if (!std::filesystem::exists(dir)) GTEST_SKIP() << "the shared tables are not at " << dir;
    int checked = 0;
    for (int t = 1; t < 34; ++t) {
        std::ostringstream name;
        name << "table_" << (t < 10 ? "0" : "") << t << ".txt";
        std::ifstream in(dir / name.str());
        const HuffmanTable& table = kHuffmanTables[t];
        const HuffmanLookup& lookup = huffman_lookup(t);
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            int value = 0;
            int length = 0;
            std::string word;
            if (t >= 32) {
                int v, w, x, y;
                fields >> v >> w >> x >> y >> length >> word;
                value = v << 3 | w << 2 | x << 1 | y;
            } else {
                int x, y;
                fields >> x >> y >> length >> word;
                value = x << 4 | y;
            }
            ASSERT_EQ(static_cast<int>(word.size()), length);
            std::uint64_t bits = 0;
            for (std::size_t i = 0; i < word.size(); ++i) {
                if (word[i] == '1') bits |= std::uint64_t{1} << (63 - i);
            }
            // A run of ones after the code must not change the result.
            std::uint64_t padded = bits | (~std::uint64_t{0} >> word.size());
            for (std::uint64_t b : {bits, padded}) {
                HuffmanWalk walk = walk_huffman_tree(table.tree, table.tree_length, 0, b, 32);
                ASSERT_TRUE(walk.found) << t << " " << word;
                EXPECT_EQ(walk.value, value) << t << " " << word;
                EXPECT_EQ(walk.length, length) << t << " " << word;
                int used = 0;
                EXPECT_EQ(decode_huffman(table, lookup, b, used), value) << t << " " << word;
                EXPECT_EQ(used, length);
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4 + 9 * 2 + 16 * 2 + 36 * 3 + 64 * 3 + 256 * 2 + 256 * 16 + 32);
}

TEST(HuffmanWalk, NoLeafWithin32StepsGivesZeroAndAWalkNeverLeavesTheTree) {
    // Forty inner nodes that always lead one node on: no leaf in reach.
    std::vector<HuffmanNode> endless(40, HuffmanNode{1, 1});
    endless.push_back(HuffmanNode{0, 0x55});
    HuffmanWalk walk =
        walk_huffman_tree(endless.data(), static_cast<int>(endless.size()), 0, 0, 32);
    EXPECT_FALSE(walk.found);
    EXPECT_EQ(walk.length, 32);

    HuffmanTable table{"x", 16, 16, 0, 0, -1, endless.data(), static_cast<int>(endless.size())};
    std::vector<std::uint32_t> entries(4, 0);  // every two-bit prefix stands at node 0
    HuffmanLookup lookup{2, entries.data()};
    int used = 0;
    EXPECT_EQ(decode_huffman(table, lookup, 0, used), 0);
    EXPECT_EQ(used, 32);

    // A distance, or a hop, that points past the end of the tree.
    std::vector<HuffmanNode> broken = {{3, 200}, {0, 1}};
    EXPECT_FALSE(walk_huffman_tree(broken.data(), 2, 0, 0, 32).found);
    std::vector<HuffmanNode> hop = {{250, 1}, {0, 1}};
    EXPECT_FALSE(walk_huffman_tree(hop.data(), 2, 0, 0, 32).found);
}
