// Layer III Huffman decoding of one granule and channel: big values, then count-1 quadruples.
#include <algorithm>

#include "mpeg/huffman_decoder.h"
#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

namespace {

// One magnitude of a pair: linbits when the table has them (linbits > 0) and the value is 15,
// then a sign bit when it is not 0. Written without branches: signs and zeros are as good as
// random.
template <bool kLinbits>
inline int finish_value(int v, int linbits, std::uint64_t& w, int& used) {
    if constexpr (kLinbits) {
        int extra = v == 15 ? linbits : 0;
        v += static_cast<int>((w >> (64 - linbits)) & (extra ? ~0u : 0u));
        w <<= extra;
        used += extra;
    }
    int nonzero = v != 0;
    int negative = static_cast<int>(w >> 63) & nonzero;
    w <<= nonzero;
    used += nonzero;
    return (v ^ -negative) + negative;
}

template <bool kLinbits>
inline int decode_pairs(const HuffmanTable& table, const HuffmanLookup& lookup,
                        const MainDataReservoir& r, int pos, int* out, int from, int to) {
    const int linbits = table.linbits;
    for (int i = from; i < to; i += 2) {
        std::uint64_t w = r.peek_at(pos);
        int used;
        int leaf = decode_huffman(table, lookup, w, used);
        w <<= used;
        out[i] = finish_value<kLinbits>(leaf >> 4, linbits, w, used);
        out[i + 1] = finish_value<kLinbits>(leaf & 15, linbits, w, used);
        pos += used;
    }
    return pos;
}

}  // namespace

void Layer3Decoder::huffman_decode(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    MainDataReservoir& r = *reservoir_;
    const int* boundary = kLongBandBoundaries[band_table_index_];
    const int end = part2_start + g.part2_3_length;

    int region_end[3];
    if (g.any_short()) {
        region_end[0] = 36;
        region_end[1] = 576;
    } else {
        // Corrupt counts can point past the last boundary; they stop at line 576.
        region_end[0] = boundary[std::min(g.region0_count + 1, 22)];
        region_end[1] = boundary[std::min(g.region0_count + g.region1_count + 2, 22)];
    }
    region_end[2] = 576;
    // More than 288 big-value pairs would run past the 576 lines.
    const int big = std::min(g.big_values, 288) * 2;

    int pos = r.bits_read();
    int i = 0;
    for (int region = 0; region < 3; ++region) {
        int limit = std::min(region_end[region], big);
        if (i >= limit) continue;
        int select = g.table_select[region];
        const HuffmanTable& table = kHuffmanTables[select];
        if (table.tree_length == 0) {
            // An empty table gives zeros and reads nothing.
            for (; i < limit; ++i) quantised[i] = 0;
            continue;
        }
        const HuffmanLookup& lookup = huffman_lookup(select);
        if (table.linbits != 0) {
            pos = decode_pairs<true>(table, lookup, r, pos, quantised, i, limit);
        } else {
            pos = decode_pairs<false>(table, lookup, r, pos, quantised, i, limit);
        }
        i += (limit - i + 1) / 2 * 2;
    }

    const int count1_start = i;
    const int select = 32 + g.count1_table_select;
    const HuffmanTable& table = kHuffmanTables[select];
    const HuffmanLookup& lookup = huffman_lookup(select);
    while (pos < end && i < 576) {
        std::uint64_t w = r.peek_at(pos);
        int used;
        int leaf = decode_huffman(table, lookup, w, used);
        w <<= used;
        for (int k = 0; k < 4; ++k) {
            int v = (leaf >> (3 - k)) & 1;
            int negative = static_cast<int>(w >> 63) & v;
            w <<= v;
            used += v;
            quantised[i + k] = v - 2 * negative;
        }
        i += 4;
        pos += used;
    }
    if (pos > end) {
        // The last quadruple ran past the granule's data: it is not part of it. (Only a
        // quadruple is dropped; big values that overran corrupt data stay.)
        if (i > count1_start) i -= 4;
    }
    r.set_bits_read(end);
    if (i > 576) i = 576;
    nonzero[ch] = i;
    for (int j = i; j < 576; ++j) quantised[j] = 0;
}
