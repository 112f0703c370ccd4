// The presenter registry, the offscreen presenter, and frame conversion for display and PNG files.
#include <array>
#include <cmath>

#include "platform/glide/glide_present.h"
#include "platform/glide/png_write.h"

namespace {

std::unique_ptr<GlidePresenter>& installed() {
    static std::unique_ptr<GlidePresenter> presenter = std::make_unique<OffscreenPresenter>();
    return presenter;
}

double g_gamma = kVoodooDisplayGamma;

}  // namespace

void glide_set_presenter(std::unique_ptr<GlidePresenter> presenter) {
    installed() = presenter ? std::move(presenter) : std::make_unique<OffscreenPresenter>();
}

GlidePresenter& glide_presenter() { return *installed(); }

bool OffscreenPresenter::open(int width, int height) {
    last_ = GlideFrame{};
    last_.width = width;
    last_.height = height;
    return true;
}

void OffscreenPresenter::present(const GlideFrameView& frame, int /*swap_interval*/) {
    last_.width = frame.width;
    last_.height = frame.height;
    last_.pixels.resize(static_cast<std::size_t>(frame.width) * frame.height);
    for (int y = 0; y < frame.height; ++y) {
        const std::uint16_t* src = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride;
        std::copy(src, src + frame.width, last_.pixels.begin() + std::ptrdiff_t{y} * frame.width);
    }
    ++presented_;
}

void OffscreenPresenter::close() {}

const GlideFrame* glide_last_frame() {
    const auto* offscreen = dynamic_cast<const OffscreenPresenter*>(installed().get());
    if (!offscreen || offscreen->last_frame().pixels.empty()) return nullptr;
    return &offscreen->last_frame();
}

void glide_set_display_gamma(double gamma) { g_gamma = gamma > 0.0 ? gamma : 1.0; }
double glide_display_gamma() { return g_gamma; }

double glide_gamma_corrected(double v8) { return 255.0 * std::pow(v8 / 255.0, 1.0 / g_gamma); }

std::vector<std::uint8_t> glide_frame_to_rgb(const GlideFrameView& frame) {
    // The video output widens each channel by repeating its top bits, then looks it up in the
    // gamma table; both steps fold into one table per channel width.
    std::array<std::uint8_t, 32> five{};
    std::array<std::uint8_t, 64> six{};
    auto corrected = [](int v8) {
        return static_cast<std::uint8_t>(std::lround(glide_gamma_corrected(v8)));
    };
    for (int v = 0; v < 32; ++v) five[v] = corrected((v << 3) | (v >> 2));
    for (int v = 0; v < 64; ++v) six[v] = corrected((v << 2) | (v >> 4));
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(frame.width) * frame.height * 3);
    std::uint8_t* out = rgb.data();
    for (int y = 0; y < frame.height; ++y) {
        const std::uint16_t* row = frame.pixels + static_cast<std::ptrdiff_t>(y) * frame.stride;
        for (int x = 0; x < frame.width; ++x) {
            const std::uint16_t p = row[x];
            *out++ = five[p >> 11];
            *out++ = six[(p >> 5) & 63];
            *out++ = five[p & 31];
        }
    }
    return rgb;
}

bool glide_write_png(const GlideFrame& frame, const std::string& path) {
    const GlideFrameView view{frame.pixels.data(), frame.width, frame.height, frame.width};
    if (frame.pixels.size() < static_cast<std::size_t>(frame.width) * frame.height) return false;
    return write_png_rgb(path, frame.width, frame.height, glide_frame_to_rgb(view));
}
