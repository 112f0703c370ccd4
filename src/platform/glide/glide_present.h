// Where a swapped frame goes: the presenter seam of the Glide device, and the offscreen presenter.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A finished RGB565 frame, top display row first, `stride` pixels a row.
struct GlideFrameView {
    const std::uint16_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Shows the frames the device swaps. One real presenter (SDL2) and the offscreen one.
class GlidePresenter {
public:
    virtual ~GlidePresenter() = default;
    // grSstWinOpen: prepare to show width x height frames; false fails the open.
    virtual bool open(int width, int height) = 0;
    // grBufferSwap: show the frame, after waiting `swap_interval` retraces where there are any.
    virtual void present(const GlideFrameView& frame, int swap_interval) = 0;
    // grGlideShutdown.
    virtual void close() = 0;
};

// Installs the presenter for the process; null brings back the offscreen presenter (the default).
void glide_set_presenter(std::unique_ptr<GlidePresenter> presenter);
GlidePresenter& glide_presenter();

// Draws over each swapped frame just before it is shown (the hack's frame-rate display); the
// pixels are the buffer that was drawn, top display row first. Null, the default, draws nothing.
using GlideFrameOverlay = void (*)(std::uint16_t* pixels, int width, int height, int stride);
void glide_set_frame_overlay(GlideFrameOverlay overlay);

// A copy of a frame in RGB565, top row first.
struct GlideFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;
};

// The offscreen presenter keeps the last swapped frame and paces nothing.
class OffscreenPresenter final : public GlidePresenter {
public:
    bool open(int width, int height) override;
    void present(const GlideFrameView& frame, int swap_interval) override;
    void close() override;
    const GlideFrame& last_frame() const { return last_; }
    std::uint64_t frames_presented() const { return presented_; }

private:
    GlideFrame last_;
    std::uint64_t presented_ = 0;
};

// The last frame the offscreen presenter received, or null when another presenter is installed
// or nothing has been swapped since the device was opened.
const GlideFrame* glide_last_frame();

// The display gamma of the original board's video output (applied when a frame is shown or
// saved); 1.0 shows the buffer values as they are.
constexpr double kVoodooDisplayGamma = 1.7;
void glide_set_display_gamma(double gamma);
double glide_display_gamma();
// An 8-bit channel value (between steps too) as the video output shows it, through that gamma.
double glide_gamma_corrected(double v8);

// RGB565 to 8-bit RGB through the display gamma, three bytes a pixel, top row first.
std::vector<std::uint8_t> glide_frame_to_rgb(const GlideFrameView& frame);

// Writes the frame as it would be shown (display gamma applied) to a PNG file.
bool glide_write_png(const GlideFrame& frame, const std::string& path);
