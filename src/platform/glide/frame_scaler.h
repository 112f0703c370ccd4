// The frame scaler: a swapped RGB565 frame to a window's 32-bit pixels in one pass per row
// (dither smoothing, display gamma, scaling with the aspect kept, letterbox bars).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/glide/frame_scaler_kernels.h"
#include "platform/glide/glide_present.h"

// Where the three 8-bit channels sit in a 32-bit pixel, and the bits every pixel carries besides
// them (an opaque alpha byte where the format has one). XRGB8888 by default.
struct PixelLayout {
    int red_shift = 16;
    int green_shift = 8;
    int blue_shift = 0;
    std::uint32_t fill = 0xFF000000u;
    bool operator==(const PixelLayout&) const = default;
};

// True when each shift is 0, 8, 16 or 24, no two are the same, and `fill` leaves them clear.
bool pixel_layout_valid(const PixelLayout& layout);

// Where the picture lies in a window, in pixels.
struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PictureRect&) const = default;
};

// The frame enlarged or reduced to fill the window one way with its aspect kept, centred; empty
// when either size is not positive.
PictureRect letterbox(int source_width, int source_height, int target_width, int target_height);

// 32-bit pixels to draw into, `pitch` bytes from one row to the next.
struct PixelTarget {
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t pitch = 0;
};

// The instruction sets the scaler has routines for; kBest picks the widest this processor has.
enum class ScalerIsa { kPortable, kAvx2, kAvx512, kBest };
bool scaler_isa_available(ScalerIsa isa);

struct ScalerRoutines;

class FrameScaler {
public:
    FrameScaler();
    // False (and nothing changes) when this processor lacks the set.
    bool select(ScalerIsa isa);
    // An invalid layout is refused (false).
    bool set_layout(const PixelLayout& layout);
    const PixelLayout& layout() const { return layout_; }

    // Draws the frame into the target, scaled into letterbox(); the bars around the picture are
    // written only when the geometry (sizes, pitch, buffer) changed since the last draw or after
    // invalidate(), so the caller need push only the picture otherwise. `whole`, when given, says
    // whether every pixel of the target was written. Returns the picture's place.
    PictureRect draw(const GlideFrameView& frame, const PixelTarget& target, bool* whole = nullptr);

    // The smoothed, gamma-corrected frame at its own size into a target of at least that size
    // (what a GPU scales itself).
    void smooth(const GlideFrameView& frame, const PixelTarget& target);

    // The next draw writes the bars again.
    void invalidate() { geometry_valid_ = false; }

    // How one axis maps target positions to the source: a blend of two neighbours when
    // enlarging (or at the same size, or reducing to no less than half), the average of a run
    // when reducing further.
    struct AxisPlan {
        bool linear = true;
        std::vector<std::int32_t> index;   // first source position, per target position
        std::vector<std::int32_t> weight;  // 0..63 for the second neighbour, or the run length
        // When blending: each weight as the byte pair (64 - w, w), twice (scale_row's form).
        std::vector<std::int32_t> weight_pairs;
    };

private:
    void prepare_tables();
    void begin_smoothing(const GlideFrameView& frame);
    void load_row(const GlideFrameView& frame, int y);
    void smooth_row(const GlideFrameView& frame, int y, std::uint32_t* out);
    void smooth_into(const GlideFrameView& frame, const PixelTarget* direct = nullptr);
    void plan_geometry(const GlideFrameView& frame, const PixelTarget& target);
    void write_bars(const PixelTarget& target) const;

    const ScalerRoutines* routines_;
    PixelLayout layout_;
    double table_gamma_ = 0.0;
    bool tables_valid_ = false;
    // Gamma tables indexed by a channel in sixteenths of a 565 step, already in place in the
    // pixel; the blue one carries the fill bits.
    std::vector<std::uint32_t> red_, green_, blue_;
    std::array<GammaCurve, 3> curves_{};

    // The smoothed frame when wanted whole (with room for vector reads past the last row), or
    // one smoothed row at a time; the horizontal sums per channel of the five source rows the
    // smoothing works on; and a padded copy of a row's end, for the sums there.
    std::vector<std::uint32_t> smoothed_;
    std::vector<std::uint32_t> smoothed_row_;
    int smoothed_width_ = 0;
    int smoothed_height_ = 0;
    std::vector<std::uint16_t> edge_row_;
    std::vector<std::uint16_t> ring_sums_;
    int ring_stride_ = 0;
    std::array<int, 5> ring_rows_{};  // the source row each slot holds

    bool geometry_valid_ = false;
    int key_source_width_ = 0, key_source_height_ = 0;
    PixelTarget key_target_;
    PictureRect rect_;
    AxisPlan columns_, rows_;
    std::vector<std::uint32_t> row_buffer_;
    std::vector<std::uint32_t> scaled_;
    // When reducing: per column, the sums of each byte over the rows taken so far (byte k's
    // from k * source width on), and the reciprocals of the pixel counts averaged.
    std::vector<std::uint32_t> column_sums_;
    std::vector<std::uint64_t> run_reciprocals_;
    int reciprocal_rows_ = 0;
};
