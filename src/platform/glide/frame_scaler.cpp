// The frame scaler: geometry, gamma tables, the row loop, and the portable row routines.
#include "platform/glide/frame_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/glide/frame_scaler_kernels.h"

namespace {

// A neighbour counts only where it is within one step of the centre: the ordered dither never
// moves a channel further, and anything further is an edge to keep. Written as plain loops
// over one channel at a time, which compilers turn into vector code of their own.
template <int kShift, int kMask>
void channel_sums(const std::uint16_t* src, int width, std::uint16_t* out) {
    for (int x = 0; x < width; ++x) {
        const int c = (src[x] >> kShift) & kMask;
        int sum = 8 * c;
        const int d2 = ((src[x - 2] >> kShift) & kMask) - c;
        const int d1 = ((src[x - 1] >> kShift) & kMask) - c;
        const int e1 = ((src[x + 1] >> kShift) & kMask) - c;
        const int e2 = ((src[x + 2] >> kShift) & kMask) - c;
        sum += (d2 >= -1 && d2 <= 1 ? d2 : 0) + (e2 >= -1 && e2 <= 1 ? e2 : 0);
        sum += 2 * ((d1 >= -1 && d1 <= 1 ? d1 : 0) + (e1 >= -1 && e1 <= 1 ? e1 : 0));
        out[x] = static_cast<std::uint16_t>(sum);
    }
}

void portable_row_sums(const std::uint16_t* src, int width, std::uint16_t* const sums[3]) {
    channel_sums<11, 31>(src, width, sums[0]);
    channel_sums<5, 63>(src, width, sums[1]);
    channel_sums<0, 31>(src, width, sums[2]);
}

// The vertical pass of one channel, to indices into its gamma table.
void column_indices(const std::uint16_t* const sums[15], int k, int width, std::uint16_t* out) {
    const std::uint16_t *r0 = sums[k], *r1 = sums[3 + k], *r2 = sums[6 + k], *r3 = sums[9 + k],
                        *r4 = sums[12 + k];
    auto kept = [](int d) { return d >= -kSumStep && d <= kSumStep ? d : 0; };
    for (int x = 0; x < width; ++x) {
        const int own = r2[x];
        const int total = 8 * own + kept(r0[x] - own) + kept(r4[x] - own) +
                          2 * (kept(r1[x] - own) + kept(r3[x] - own));
        // From sixty-fourths of a step to the tables' sixteenths, rounded.
        out[x] = static_cast<std::uint16_t>((total + 2) >> 2);
    }
}

void portable_row_finish(const std::uint16_t* const sums[15], int width, const GammaTables& t,
                         std::uint32_t* out) {
    constexpr int kChunk = 256;
    std::uint16_t index[3][kChunk];
    for (int x0 = 0; x0 < width; x0 += kChunk) {
        const int n = std::min(kChunk, width - x0);
        const std::uint16_t* part[15];
        for (int i = 0; i < 15; ++i) part[i] = sums[i] + x0;
        for (int k = 0; k < 3; ++k) column_indices(part, k, n, index[k]);
        for (int x = 0; x < n; ++x) {
            out[x0 + x] = t.red[index[0][x]] | t.green[index[1][x]] | t.blue[index[2][x]];
        }
    }
}

void portable_blend_rows(const std::uint32_t* a, const std::uint32_t* b, int count, int weight,
                         std::uint32_t* out) {
    for (int i = 0; i < count; ++i) out[i] = blend_pixel(a[i], b[i], weight);
}

void portable_scale_row(const std::uint32_t* row, const std::int32_t* index,
                        const std::int32_t* weight_pairs, int count, std::uint32_t* out) {
    for (int i = 0; i < count; ++i) {
        out[i] = blend_pixel(row[index[i]], row[index[i] + 1], (weight_pairs[i] >> 8) & 0xFF);
    }
}

// The average of `count` pixels' bytes from their sums, rounded: the sum times a reciprocal in
// 32-bit fixed point, which spares a division per channel and stays exact to well under half a
// level for blocks of up to millions of pixels (a sum is at most 255 count, so the product
// stays below 2^40).
std::uint64_t reciprocal_of(int count) {
    return ((std::uint64_t{1} << 32) + count / 2) / static_cast<std::uint64_t>(count);
}

std::uint32_t mean_of(std::uint32_t sum, std::uint64_t reciprocal) {
    const std::uint64_t v = (sum * reciprocal + (std::uint64_t{1} << 31)) >> 32;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 255));
}

// The pixel whose bytes 0..3 are the means of the sums s0..s3.
std::uint32_t mean_pixel(std::uint32_t s0, std::uint32_t s1, std::uint32_t s2, std::uint32_t s3,
                         std::uint64_t reciprocal) {
    return mean_of(s0, reciprocal) | mean_of(s1, reciprocal) << 8 | mean_of(s2, reciprocal) << 16 |
           mean_of(s3, reciprocal) << 24;
}

// Adds each byte of `count` pixels to its column's sum, byte k's sums at sums + k * stride; the
// first row of a run (`first`) sets the sums instead, so they need no clearing before it.
void add_to_sums(const std::uint32_t* row, int count, std::uint32_t* sums, std::ptrdiff_t stride,
                 bool first) {
    std::uint32_t *s0 = sums, *s1 = sums + stride, *s2 = sums + 2 * stride, *s3 = sums + 3 * stride;
    const std::uint32_t keep = first ? 0u : ~0u;
    for (int x = 0; x < count; ++x) {
        const std::uint32_t v = row[x];
        s0[x] = (s0[x] & keep) + (v & 0xFFu);
        s1[x] = (s1[x] & keep) + ((v >> 8) & 0xFFu);
        s2[x] = (s2[x] & keep) + ((v >> 16) & 0xFFu);
        s3[x] = (s3[x] & keep) + (v >> 24);
    }
}

// Target position d of `target` positions over `source` ones, by pixel centres: an
// enlargement, or a reduction to no less than half, blends the two source pixels around the
// centre (held at the edges, so nothing from outside the frame bleeds in), which at those
// ratios leaves no source pixel out; a greater reduction averages the source pixels it covers.
FrameScaler::AxisPlan plan_axis(int source, int target) {
    FrameScaler::AxisPlan plan;
    plan.linear = 2 * target >= source;
    const int padded = target + kScalerPad;
    plan.index.resize(static_cast<std::size_t>(padded));
    plan.weight.resize(static_cast<std::size_t>(padded));
    for (int d = 0; d < target; ++d) {
        std::int32_t index = 0, weight = 0;
        if (plan.linear) {
            // Source position of the target pixel's centre in 1/65536 pixels, minus half a
            // pixel: the left neighbour's index and the weight of the right one.
            const std::int64_t centre =
                (std::int64_t{2 * d + 1} * source * 65536) / (std::int64_t{2} * target) - 32768;
            if (centre > 0) {
                index = static_cast<std::int32_t>(centre >> 16);
                weight = static_cast<std::int32_t>((centre >> (16 - kBlendBits)) &
                                                   ((1 << kBlendBits) - 1));
            }
            if (index >= source - 1) {
                // Past the last pixel's centre: that pixel alone (its right neighbour, read
                // from the padding, has no weight).
                index = source - 1;
                weight = 0;
            }
        } else {
            const std::int64_t first = std::int64_t{d} * source / target;
            const std::int64_t end = std::int64_t{d + 1} * source / target;
            index = static_cast<std::int32_t>(first);
            weight = static_cast<std::int32_t>(std::max<std::int64_t>(end - first, 1));
        }
        plan.index[static_cast<std::size_t>(d)] = index;
        plan.weight[static_cast<std::size_t>(d)] = weight;
    }
    // The padding repeats the last position, so vector reads past the end stay in the row.
    for (int d = target; d < padded; ++d) {
        plan.index[static_cast<std::size_t>(d)] = target > 0 ? plan.index[target - 1] : 0;
        plan.weight[static_cast<std::size_t>(d)] = 0;
    }
    if (plan.linear) {
        plan.weight_pairs.resize(static_cast<std::size_t>(padded));
        for (std::size_t d = 0; d < plan.weight_pairs.size(); ++d) {
            const std::int32_t pair = blend_weight_pair(plan.weight[d]);
            plan.weight_pairs[d] = pair | pair << 16;
        }
    }
    return plan;
}

int round_up(int v, int to) { return (v + to - 1) / to * to; }

// The pixel that stands for position i (at most two outside 0..n-1) beyond a frame's edge: the
// one a dither period (4) further in, so that a flat dithered area stays flat to its edges.
// Frames too small for that repeat their edge pixel.
int beyond_edge(int i, int n) {
    if (n < 4) return std::clamp(i, 0, n - 1);
    if (i < 0) return i + 4;
    if (i >= n) return i - 4;
    return i;
}

}  // namespace

const ScalerRoutines kPortableScaler = {portable_row_sums, portable_row_finish, portable_blend_rows,
                                        portable_scale_row, [] {}};

bool scaler_isa_available(ScalerIsa isa) {
    switch (isa) {
        case ScalerIsa::kPortable:
        case ScalerIsa::kBest:
            return true;
        case ScalerIsa::kAvx2:
            return avx2_scaler() != nullptr;
        case ScalerIsa::kAvx512:
            return avx512_scaler() != nullptr;
    }
    return false;
}

bool pixel_layout_valid(const PixelLayout& l) {
    const int shifts[3] = {l.red_shift, l.green_shift, l.blue_shift};
    std::uint32_t used = 0;
    for (int s : shifts) {
        if (s < 0 || s > 24 || s % 8 != 0) return false;
        const std::uint32_t mask = 0xFFu << s;
        if (used & mask) return false;
        used |= mask;
    }
    return (l.fill & used) == 0;
}

PictureRect letterbox(int source_width, int source_height, int target_width, int target_height) {
    if (source_width <= 0 || source_height <= 0 || target_width <= 0 || target_height <= 0) {
        return {};
    }
    PictureRect r;
    const std::int64_t wide = std::int64_t{target_width} * source_height;
    const std::int64_t tall = std::int64_t{target_height} * source_width;
    if (wide >= tall) {
        // The window is wider than the frame: full height, bars left and right.
        r.height = target_height;
        r.width = static_cast<int>((tall + source_height / 2) / source_height);
    } else {
        r.width = target_width;
        r.height = static_cast<int>((wide + source_width / 2) / source_width);
    }
    r.width = std::clamp(r.width, 1, target_width);
    r.height = std::clamp(r.height, 1, target_height);
    r.x = (target_width - r.width) / 2;
    r.y = (target_height - r.height) / 2;
    return r;
}

FrameScaler::FrameScaler() : routines_(&kPortableScaler) { select(ScalerIsa::kBest); }

bool FrameScaler::select(ScalerIsa isa) {
    const ScalerRoutines* r = nullptr;
    switch (isa) {
        case ScalerIsa::kPortable:
            r = &kPortableScaler;
            break;
        case ScalerIsa::kAvx2:
            r = avx2_scaler();
            break;
        case ScalerIsa::kAvx512:
            r = avx512_scaler();
            break;
        case ScalerIsa::kBest:
            r = avx512_scaler();
            if (!r) r = avx2_scaler();
            if (!r) r = &kPortableScaler;
            break;
    }
    if (!r) return false;
    routines_ = r;
    return true;
}

bool FrameScaler::set_layout(const PixelLayout& layout) {
    if (!pixel_layout_valid(layout)) return false;
    if (!(layout == layout_)) {
        layout_ = layout;
        tables_valid_ = false;
        geometry_valid_ = false;  // the bars carry the fill bits
    }
    return true;
}

void FrameScaler::prepare_tables() {
    const double gamma = glide_display_gamma();
    if (tables_valid_ && gamma == table_gamma_) return;
    // The board widens a channel by repeating its top bits, and glide_frame_to_rgb sends that
    // through the gamma curve; whole steps come out exactly as there. A smoothed channel lies
    // between two steps: the curve there is the chord plus a parabola through the true value
    // at the midpoint (close enough to the curve, and cheap to compute in vector registers).
    auto curve = [](int bits) {
        const int top = (1 << bits) - 1;
        auto widen = [bits](int v) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
        GammaCurve g{};
        for (int c = 0; c <= top; ++c)
            g.base[c] = static_cast<std::uint16_t>(std::lround(glide_gamma_corrected(widen(c))));
        for (int c = 0; c <= top; ++c) {
            const int next = std::min(c + 1, top);
            g.rise[c] = static_cast<std::uint16_t>(g.base[next] - g.base[c]);
            const double middle = glide_gamma_corrected((widen(c) + widen(next)) / 2.0);
            const long bulge = std::lround(4.0 * (middle - g.base[c] - g.rise[c] / 2.0));
            g.bulge[c] = static_cast<std::uint16_t>(std::clamp(bulge, 0L, 255L));
        }
        return g;
    };
    curves_[0] = curve(5);
    curves_[1] = curve(6);
    curves_[2] = curve(5);
    auto table = [](const GammaCurve& g, int bits, int shift, std::uint32_t fill) {
        std::vector<std::uint32_t> t(
            (static_cast<std::size_t>((1 << bits) - 1) << kGammaIndexBits) + 1);
        for (std::size_t i = 0; i < t.size(); ++i) {
            t[i] =
                (static_cast<std::uint32_t>(gamma_curve_value(g, static_cast<int>(i))) << shift) |
                fill;
        }
        return t;
    };
    red_ = table(curves_[0], 5, layout_.red_shift, 0);
    green_ = table(curves_[1], 6, layout_.green_shift, 0);
    blue_ = table(curves_[2], 5, layout_.blue_shift, layout_.fill);
    table_gamma_ = gamma;
    tables_valid_ = true;
}

void FrameScaler::begin_smoothing(const GlideFrameView& frame) {
    prepare_tables();
    const int w = frame.width, h = frame.height;
    if (w != smoothed_width_ || h != smoothed_height_) {
        smoothed_width_ = w;
        smoothed_height_ = h;
        smoothed_.clear();  // made only when a whole frame is wanted at once
        ring_stride_ = round_up(w, kScalerPad) + 2 * kScalerPad;
        edge_row_.assign(static_cast<std::size_t>(std::min(w, 3 * kScalerPad)) + 3 * kScalerPad, 0);
        ring_sums_.assign(static_cast<std::size_t>(ring_stride_) * 15, 0);
        smoothed_row_.assign(static_cast<std::size_t>(ring_stride_), 0);
    }
    ring_rows_.fill(-1);
}

// A source row's sums go into the ring. The routine reads the row where it lies: the pixels
// away from its ends straight from the frame, in whole multiples of kScalerPad (so no vector
// read leaves the row), and each end through a short padded copy that holds what stands
// beyond the frame's edge.
void FrameScaler::load_row(const GlideFrameView& frame, int y) {
    const int w = frame.width;
    const std::uint16_t* src = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride;
    std::uint16_t* sums[3];
    for (int k = 0; k < 3; ++k) sums[k] = ring_sums_.data() + ((y % 5) * 3 + k) * ring_stride_;
    auto through_copy = [&](int x0, int x1) {
        std::uint16_t* row = edge_row_.data() + 2;
        const int n = x1 - x0;
        std::memcpy(row, src + x0, static_cast<std::size_t>(n) * sizeof(std::uint16_t));
        for (int i : {-2, -1, n, n + 1}) row[i] = src[beyond_edge(x0 + i, w)];
        // What lies further (left from an earlier row, or zero) is read only by vector lanes
        // whose results are never used.
        std::uint16_t* part[3] = {sums[0] + x0, sums[1] + x0, sums[2] + x0};
        routines_->smooth_row_sums(row, n, part);
    };
    // The middle reads two pixels either side of itself, all within the row.
    const int middle_end = kScalerPad + std::max(0, (w - 2 - kScalerPad) / kScalerPad) * kScalerPad;
    if (middle_end == kScalerPad) {
        through_copy(0, w);
    } else {
        std::uint16_t* part[3] = {sums[0] + kScalerPad, sums[1] + kScalerPad, sums[2] + kScalerPad};
        routines_->smooth_row_sums(src + kScalerPad, middle_end - kScalerPad, part);
        // The ends after the middle: a routine's spill past its last pixel lands only on
        // sums not yet made, or on the padding.
        through_copy(0, kScalerPad);
        through_copy(middle_end, w);
    }
    ring_rows_[y % 5] = y;
}

void FrameScaler::smooth_row(const GlideFrameView& frame, int y, std::uint32_t* out) {
    const std::uint16_t* sums[15];
    // The five rows around y are always five consecutive ones or fewer, so they never share a
    // slot of the ring; rows come in as they are first needed.
    for (int i = 0; i < 5; ++i) {
        const int r = beyond_edge(y + i - 2, frame.height);
        if (ring_rows_[r % 5] != r) load_row(frame, r);
        for (int k = 0; k < 3; ++k)
            sums[i * 3 + k] = ring_sums_.data() + ((r % 5) * 3 + k) * ring_stride_;
    }
    const GammaTables tables{red_.data(),        green_.data(),     blue_.data(),
                             curves_.data(),     layout_.red_shift, layout_.green_shift,
                             layout_.blue_shift, layout_.fill};
    routines_->smooth_row_finish(sums, frame.width, tables, out);
}

void FrameScaler::smooth_into(const GlideFrameView& frame, const PixelTarget* direct) {
    begin_smoothing(frame);
    const int w = frame.width, h = frame.height;
    if (!direct) {
        smoothed_.resize(static_cast<std::size_t>(w) * h + 2 * kScalerPad);
        for (int y = 0; y < h; ++y) {
            smooth_row(frame, y, smoothed_.data() + static_cast<std::ptrdiff_t>(y) * w);
        }
        return;
    }
    // Rows go straight to the target, the routines' spill past a row's end landing on the next
    // row before that is written; the last row, with nothing below it, goes through the row
    // buffer.
    auto* pixels = reinterpret_cast<std::uint8_t*>(direct->pixels);
    for (int y = 0; y < h - 1; ++y) {
        smooth_row(frame, y, reinterpret_cast<std::uint32_t*>(pixels + y * direct->pitch));
    }
    smooth_row(frame, h - 1, smoothed_row_.data());
    std::memcpy(pixels + (h - 1) * direct->pitch, smoothed_row_.data(),
                static_cast<std::size_t>(w) * sizeof(std::uint32_t));
}

void FrameScaler::smooth(const GlideFrameView& frame, const PixelTarget& target) {
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || !target.pixels ||
        target.width < frame.width || target.height < frame.height) {
        return;
    }
    // Straight into a target of the frame's width whose rows have room for the routines' spill
    // (a pitch of at least kScalerPad pixels); otherwise through the buffer.
    if (target.width == frame.width && target.pitch >= std::ptrdiff_t{kScalerPad} * 4) {
        smooth_into(frame, &target);
        return;
    }
    smooth_into(frame);
    for (int y = 0; y < frame.height; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(
            reinterpret_cast<std::uint8_t*>(target.pixels) + y * target.pitch);
        std::memcpy(out, smoothed_.data() + static_cast<std::ptrdiff_t>(y) * frame.width,
                    static_cast<std::size_t>(frame.width) * sizeof(std::uint32_t));
    }
}

void FrameScaler::plan_geometry(const GlideFrameView& frame, const PixelTarget& target) {
    key_source_width_ = frame.width;
    key_source_height_ = frame.height;
    key_target_ = target;
    rect_ = letterbox(frame.width, frame.height, target.width, target.height);
    columns_ = plan_axis(frame.width, rect_.width);
    rows_ = plan_axis(frame.height, rect_.height);
    row_buffer_.assign(static_cast<std::size_t>(frame.width) + 2 * kScalerPad, 0);
    if (!columns_.linear || !rows_.linear) column_sums_.resize(4 * std::size_t(frame.width));
    run_reciprocals_.clear();
    geometry_valid_ = true;
}

void FrameScaler::write_bars(const PixelTarget& target) const {
    const std::uint32_t black = layout_.fill;
    for (int y = 0; y < target.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(
            reinterpret_cast<std::uint8_t*>(target.pixels) + y * target.pitch);
        if (y < rect_.y || y >= rect_.y + rect_.height) {
            std::fill(row, row + target.width, black);
        } else {
            std::fill(row, row + rect_.x, black);
            std::fill(row + rect_.x + rect_.width, row + target.width, black);
        }
    }
}

PictureRect FrameScaler::draw(const GlideFrameView& frame, const PixelTarget& target, bool* whole) {
    if (whole) *whole = false;
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || !target.pixels ||
        target.width <= 0 || target.height <= 0) {
        return {};
    }
    const bool same = geometry_valid_ && key_source_width_ == frame.width &&
                      key_source_height_ == frame.height && key_target_.pixels == target.pixels &&
                      key_target_.width == target.width && key_target_.height == target.height &&
                      key_target_.pitch == target.pitch;
    if (!same) plan_geometry(frame, target);
    if (!same) {
        write_bars(target);
        if (whole) *whole = true;
    }

    const int sw = frame.width;
    auto output_row = [&](int y) {
        return reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(target.pixels) +
                                                (rect_.y + y) * target.pitch) +
               rect_.x;
    };
    const std::ptrdiff_t sums_stride = sw;
    auto across = [&](const std::uint32_t* row, std::uint32_t* out) {
        routines_->scale_row(row, columns_.index.data(), columns_.weight_pairs.data(), rect_.width,
                             out);
    };
    // Reducing across to less than half: each output pixel adds the column sums of the source
    // pixels it covers (over `rows` rows) and divides once.
    auto average_across = [&](int rows, std::uint32_t* out) {
        if (run_reciprocals_.empty() || reciprocal_rows_ != rows) {
            const int longest = *std::max_element(columns_.weight.begin(), columns_.weight.end());
            run_reciprocals_.resize(static_cast<std::size_t>(longest) + 1);
            for (int run = 1; run <= longest; ++run) {
                run_reciprocals_[static_cast<std::size_t>(run)] = reciprocal_of(rows * run);
            }
            reciprocal_rows_ = rows;
        }
        const std::uint32_t* s = column_sums_.data();
        for (int x = 0; x < rect_.width; ++x) {
            const int first = columns_.index[static_cast<std::size_t>(x)];
            const int run = columns_.weight[static_cast<std::size_t>(x)];
            std::uint32_t t[4] = {};
            for (int c = first; c < first + run; ++c) {
                for (int k = 0; k < 4; ++k) t[k] += s[k * sums_stride + c];
            }
            out[x] =
                mean_pixel(t[0], t[1], t[2], t[3], run_reciprocals_[static_cast<std::size_t>(run)]);
        }
    };
    if (!rows_.linear) {
        // Reducing down to less than half: the run of source rows of each output row is smoothed
        // row by row and summed per column; the sums are averaged across, or, where the columns
        // blend, made into the run's mean row and scaled across.
        begin_smoothing(frame);
        for (int y = 0; y < rect_.height; ++y) {
            const int first = rows_.index[static_cast<std::size_t>(y)];
            const int run = rows_.weight[static_cast<std::size_t>(y)];
            for (int r = first; r < first + run; ++r) {
                smooth_row(frame, r, smoothed_row_.data());
                add_to_sums(smoothed_row_.data(), sw, column_sums_.data(), sums_stride, r == first);
            }
            if (!columns_.linear) {
                average_across(run, output_row(y));
                continue;
            }
            const std::uint64_t r = reciprocal_of(run);
            const std::uint32_t* s = column_sums_.data();
            for (int x = 0; x < sw; ++x) {
                row_buffer_[static_cast<std::size_t>(x)] = mean_pixel(
                    s[x], s[sums_stride + x], s[2 * sums_stride + x], s[3 * sums_stride + x], r);
            }
            across(row_buffer_.data(), output_row(y));
        }
        return rect_;
    }
    // Blending down the rows: each source row is smoothed and scaled across once, when first needed
    // (into one of two slots, by its parity), and output rows blend two such rows, which costs less
    // than scaling every output row. Row by row, all but the output stays in the caches.
    begin_smoothing(frame);
    const std::size_t slot_size = static_cast<std::size_t>(rect_.width) + kScalerPad;
    if (scaled_.size() < 2 * slot_size) scaled_.resize(2 * slot_size);
    int held[2] = {-1, -1};
    auto scaled = [&](int r) {
        std::uint32_t* slot = scaled_.data() + (r & 1) * slot_size;
        if (held[r & 1] != r) {
            smooth_row(frame, r, smoothed_row_.data());
            if (columns_.linear) {
                across(smoothed_row_.data(), slot);
            } else {
                add_to_sums(smoothed_row_.data(), sw, column_sums_.data(), sums_stride, true);
                average_across(1, slot);
            }
            held[r & 1] = r;
        }
        return slot;
    };
    for (int y = 0; y < rect_.height; ++y) {
        const int first = rows_.index[static_cast<std::size_t>(y)];
        const int weight = rows_.weight[static_cast<std::size_t>(y)];
        // A row on a source row's centre is that row alone (its blend by 0 is itself, and
        // goes out through the same stores).
        const std::uint32_t* second = weight == 0 ? scaled(first) : scaled(first + 1);
        routines_->blend_rows(scaled(first), second, rect_.width, weight, output_row(y));
    }
    routines_->stores_done();
    return rect_;
}
