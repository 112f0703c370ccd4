// Layer III requantisation: |v|^(4/3) times the global gain, then the scale factor gains by band.
#include <algorithm>
#include <cmath>

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

namespace {

// Indices past the 64-entry gain table (possible with the wider scale factors of the lower
// sampling frequencies) take its last, quietest entry.
inline float gain_of(const Layer3Tables& t, int index) { return t.gain[std::min(index, 63)]; }

inline void scale_lines(float* out, int from, int to, int limit, float gain) {
    to = std::min(to, limit);
    for (int j = from; j < to; ++j) out[j] *= gain;
}

}  // namespace

void Layer3Decoder::requantise(int ch, int gr) {
    const GranuleInfo& g = side_info.channel[ch].granule[gr];
    const ScaleFactors& sf = scale_factors[ch];
    const Layer3Tables& t = layer3_tables();
    float* out = spectrum[ch];
    const int nz = nonzero[ch];

    const float a = static_cast<float>(std::pow(2.0, (g.global_gain - 210) / 4.0));
    // power[0] is 0, so a zero value gives exactly 0 without a test.
    for (int j = 0; j < nz; ++j) {
        int v = quantised[j];
        // The table reaches the largest value a code can carry, 15 + 8191.
        float m = a * t.power[std::min(v < 0 ? -v : v, 8206)];
        out[j] = v < 0 ? -m : m;
    }
    for (int j = nz; j < 576; ++j) out[j] = 0.0f;

    const int* lb = kLongBandBoundaries[band_table_index_];
    const int* sb = kShortBandBoundaries[band_table_index_];
    const int shift = g.scale_factor_scale;
    static const int kNoPretab[22] = {};
    const int* pretab = g.preflag ? kPretab : kNoPretab;
    int first_short = 0;
    if (g.any_short()) {
        if (g.mixed_block) {
            for (int k = 0; k < mixed_long_bands(); ++k) {
                int index = (sf.long_band[k] + pretab[k]) << shift;
                scale_lines(out, lb[k], lb[k + 1], nz, gain_of(t, index));
            }
            first_short = 3;
        }
        for (int k = first_short; k < 13; ++k) {
            int width = sb[k + 1] - sb[k];
            for (int w = 0; w < 3; ++w) {
                int start = 3 * sb[k] + w * width;
                int index = 4 * g.subblock_gain[w] + (sf.short_band[w][k] << shift);
                scale_lines(out, start, start + width, nz, gain_of(t, index));
            }
        }
        return;
    }
    for (int k = 0; k < 22; ++k) {
        int index = (sf.long_band[k] + pretab[k]) << shift;
        scale_lines(out, lb[k], lb[k + 1], nz, gain_of(t, index));
    }
}
