// The layer I and II tables that follow from formulas, computed once.
#include "mpeg/subband_tables.h"

#include <cmath>

namespace {

template <int L, int N>
void fill_group(float (&table)[N][3]) {
    for (int v = 0; v < N; ++v) {
        int rest = v;
        for (int k = 0; k < 3; ++k) {
            table[v][k] = static_cast<float>(2 * (rest % L) - (L - 1)) / static_cast<float>(L);
            rest /= L;
        }
    }
}

SubbandTables make_tables() {
    SubbandTables t{};
    for (int i = 0; i < 63; ++i)
        t.scale_factor[i] = static_cast<float>(std::pow(2.0, 1.0 - i / 3.0));
    t.scale_factor[63] = 0.0f;
    for (int a = 1; a < 15; ++a) {
        double factor = 2.0 / (std::pow(2.0, a + 1) - 1.0);
        t.layer1_factor[a] = static_cast<float>(factor);
        t.layer1_offset[a] = static_cast<float>((1.0 - std::pow(2.0, a)) * factor);
    }
    fill_group<3>(t.group3);
    fill_group<5>(t.group5);
    fill_group<9>(t.group9);
    return t;
}

}  // namespace

const SubbandTables& subband_tables() {
    static const SubbandTables tables = make_tables();
    return tables;
}
