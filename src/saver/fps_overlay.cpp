// The --fps display: a 5x7 bitmap font, a frame counter and the process's CPU clock.
#include "saver/fps_overlay.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

struct Glyph {
    char c;
    std::uint8_t rows[7];  // five columns a row, the leftmost in bit 4
};

constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
};

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kAdvance = 6;  // one blank column between characters
constexpr std::uint16_t kTextColour = 0xFFFF;
constexpr std::uint16_t kShadeColour = 0x0000;

const Glyph* glyph(char c) {
    for (const Glyph& g : kFont) {
        if (g.c == c) return &g;
    }
    return nullptr;
}

void fill(std::uint16_t* pixels, int width, int height, int stride, int x0, int y0, int x1, int y1,
          std::uint16_t colour) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width);
    y1 = std::min(y1, height);
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y)
        std::fill(pixels + y * stride + x0, pixels + y * stride + x1, colour);
}

// The figures of the last whole second; the first second shows dashes.
struct Meter {
    using Clock = std::chrono::steady_clock;
    bool started = false;
    Clock::time_point since;
    std::clock_t cpu_since = 0;
    int frames = 0;
    std::string fps = "FPS: --";
    std::string cpu = "CPU: --";

    void count() {
        const Clock::time_point now = Clock::now();
        const std::clock_t cpu_now = std::clock();
        if (!started) {
            started = true;
            since = now;
            cpu_since = cpu_now;
            return;
        }
        ++frames;
        const double seconds = std::chrono::duration<double>(now - since).count();
        if (seconds < 1.0) return;
        // std::clock is the CPU time of the whole process, every thread (the music) included.
        const double cpu_seconds =
            static_cast<double>(cpu_now - cpu_since) / static_cast<double>(CLOCKS_PER_SEC);
        char text[32];
        std::snprintf(text, sizeof text, "FPS: %.1f", frames / seconds);
        fps = text;
        std::snprintf(text, sizeof text, "CPU: %.0f%%", 100.0 * cpu_seconds / seconds);
        cpu = text;
        frames = 0;
        since = now;
        cpu_since = cpu_now;
    }
};

Meter g_meter;

// Text of the font's characters (others leave a blank) with its top left corner at x, y, each
// font pixel a scale x scale square.
void draw_text(std::uint16_t* pixels, int width, int height, int stride, int x, int y, int scale,
               const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = glyph(text[i]);
        if (!g) continue;
        const int left = x + static_cast<int>(i) * kAdvance * scale;
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int col = 0; col < kGlyphWidth; ++col) {
                if (!(g->rows[row] >> (kGlyphWidth - 1 - col) & 1)) continue;
                const int px = left + col * scale, py = y + row * scale;
                fill(pixels, width, height, stride, px, py, px + scale, py + scale, kTextColour);
            }
        }
    }
}

}  // namespace

void draw_fps_overlay(std::uint16_t* pixels, int width, int height, int stride) {
    g_meter.count();
    // Readable when the frame is scaled to a preview or a large screen: 2 at 640x480.
    const int scale = std::max(1, height / 240);
    const int line = (kGlyphHeight + 3) * scale;
    const int margin = 4 * scale;
    const int top = height - margin - 2 * line;
    const int longest = static_cast<int>(std::max(g_meter.fps.size(), g_meter.cpu.size()));
    // A dark box keeps the text readable over a bright background.
    fill(pixels, width, height, stride, margin - 2 * scale, top - 2 * scale,
         margin + longest * kAdvance * scale + scale, top + 2 * line, kShadeColour);
    draw_text(pixels, width, height, stride, margin, top, scale, g_meter.fps);
    draw_text(pixels, width, height, stride, margin, top + line, scale, g_meter.cpu);
}
