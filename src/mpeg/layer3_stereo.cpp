// Layer III stereo processing: mid/side and intensity stereo of one granule.
#include <algorithm>
#include <cstring>

#include "mpeg/layer3_decoder.h"
#include "mpeg/layer3_tables.h"

namespace {

constexpr int kNoIntensity = 7;

// The long band that holds a line.
int long_band_of(const int* boundary, int line) {
    int k = 0;
    while (k < 21 && boundary[k + 1] <= line) ++k;
    return k;
}

// Highest short band (scanning 12 down to lowest) with a nonzero line in window w, or
// lowest - 1 when there is none.
int highest_short_band(const float* right, const int* sb, int w, int lowest) {
    for (int k = 12; k >= lowest; --k) {
        int width = sb[k + 1] - sb[k];
        int start = 3 * sb[k] + w * width;
        for (int j = start + width - 1; j >= start; --j) {
            if (right[j] != 0.0f) return k;
        }
    }
    return lowest - 1;
}

}  // namespace

void Layer3Decoder::stereo(int gr) {
    if (channels_ == 1) {
        std::memcpy(stereo_out[0], spectrum[0], sizeof stereo_out[0]);
        return;
    }
    const GranuleInfo& g = side_info.channel[0].granule[gr];
    const bool joint = header_->mode == kJointStereo;
    const bool ms = joint && (header_->mode_extension & 2);
    const bool intensity = joint && (header_->mode_extension & 1);
    const float* left = spectrum[0];
    const float* right = spectrum[1];
    float* out0 = stereo_out[0];
    float* out1 = stereo_out[1];
    const float kHalfRoot2 = 0.70710677f;

    if (!intensity) {
        if (ms) {
            for (int i = 0; i < 576; ++i) {
                out0[i] = (left[i] + right[i]) * kHalfRoot2;
                out1[i] = (left[i] - right[i]) * kHalfRoot2;
            }
        } else {
            std::memcpy(out0, left, sizeof stereo_out[0]);
            std::memcpy(out1, right, sizeof stereo_out[1]);
        }
        return;
    }

    // Intensity positions per line, from channel 1's scale factors above its last nonzero line.
    int position[576];
    std::fill(position, position + 576, kNoIntensity);
    const ScaleFactors& sf = scale_factors[1];
    const int* lb = kLongBandBoundaries[band_table_index_];
    const int* sb = kShortBandBoundaries[band_table_index_];

    auto long_part = [&](int from_band, int to_band) {
        for (int k = from_band; k <= to_band; ++k) {
            for (int j = lb[k]; j < lb[k + 1]; ++j) position[j] = sf.long_band[k];
        }
    };
    auto short_part = [&](int lowest) {
        int highest_all = lowest - 1;
        for (int w = 0; w < 3; ++w) {
            int highest = highest_short_band(right, sb, w, lowest);
            highest_all = std::max(highest_all, highest);
            for (int k = highest + 1; k < 12; ++k) {
                int width = sb[k + 1] - sb[k];
                int start = 3 * sb[k] + w * width;
                for (int j = start; j < start + width; ++j) position[j] = sf.short_band[w][k];
            }
            int width11 = sb[12] - sb[11];
            int band11 = position[3 * sb[11] + w * width11];
            int width12 = sb[13] - sb[12];
            int start12 = 3 * sb[12] + w * width12;
            for (int j = start12; j < start12 + width12; ++j) position[j] = band11;
        }
        return highest_all;
    };

    if (!g.any_short()) {
        int last = 0;
        for (int j = 575; j > 0; --j) {
            if (right[j] != 0.0f) {
                last = j;
                break;
            }
        }
        long_part(long_band_of(lb, last) + 1, 20);
        for (int j = lb[21]; j < 576; ++j) position[j] = position[lb[20]];
    } else if (!g.mixed_block) {
        short_part(0);
    } else {
        int highest_all = short_part(3);
        if (highest_all < 3) {
            int from = 0;
            for (int j = 35; j >= 0; --j) {
                if (right[j] != 0.0f) {
                    from = long_band_of(lb, j) + 1;
                    break;
                }
            }
            long_part(from, mixed_long_bands() - 1);
        }
    }

    const Layer3Tables& t = layer3_tables();
    const bool lsf = header_->version == 0;
    const float* row =
        t.intensity_factor[side_info.channel[1].granule[gr].scale_factor_compress & 1];
    for (int i = 0; i < 576; ++i) {
        int p = position[i];
        if (p == kNoIntensity) {
            intensity_factors[0][i] = intensity_factors[1][i] = 1.0f;
            if (ms) {
                out0[i] = (left[i] + right[i]) * kHalfRoot2;
                out1[i] = (left[i] - right[i]) * kHalfRoot2;
            } else {
                out0[i] = left[i];
                out1[i] = right[i];
            }
        } else if (lsf) {
            float f0 = 1.0f;
            float f1 = 1.0f;
            if (p & 1) {
                f0 = row[std::min((p + 1) / 2, 31)];
            } else if (p != 0) {
                f1 = row[std::min(p / 2, 31)];
            }
            intensity_factors[0][i] = f0;
            intensity_factors[1][i] = f1;
            out0[i] = left[i] * f0;
            out1[i] = left[i] * f1;
        } else {
            float ratio = t.intensity_ratio[p & 15];
            out1[i] = left[i] / (ratio + 1.0f);
            out0[i] = out1[i] * ratio;
        }
    }
}
