// Build-time generator of the program's icon: a square from the settings dialog's star field,
// scaled down in linear light and written as an RGB PNG.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/glide/png_write.h"
#include "resources/dialogs/starfield_painter.h"

namespace {

// The dialog picture is 170x131; its right-hand square holds three of the four big stars.
constexpr int kPictureWidth = 170;
constexpr int kPictureHeight = 131;
constexpr int kSquareLeft = kPictureWidth - kPictureHeight;

// Each icon pixel averages the picture pixels its square covers, in part or whole.
Picture scale_square(Picture& picture, int size) {
    Picture icon;
    icon.width = icon.height = size;
    icon.rgb.assign(static_cast<std::size_t>(size) * size * 3, 0.0f);
    const double step = static_cast<double>(kPictureHeight) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double sum[3] = {0, 0, 0}, weight = 0;
            const double x0 = x * step, x1 = x0 + step, y0 = y * step, y1 = y0 + step;
            for (int py = static_cast<int>(y0); py < std::min<double>(y1, kPictureHeight); ++py) {
                const double wy = std::min<double>(y1, py + 1) - std::max<double>(y0, py);
                for (int px = static_cast<int>(x0); px < std::min<double>(x1, kPictureHeight);
                     ++px) {
                    const double w = wy * (std::min<double>(x1, px + 1) - std::max<double>(x0, px));
                    const float* c = picture.at(kSquareLeft + px, py);
                    for (int i = 0; i < 3; ++i) sum[i] += w * c[i];
                    weight += w;
                }
            }
            float* out = icon.at(x, y);
            for (int i = 0; i < 3; ++i) out[i] = static_cast<float>(sum[i] / weight);
        }
    }
    return icon;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > kPictureHeight) {
        std::fprintf(stderr, "%s: SIZE is 16..%d\n", argv[0], kPictureHeight);
        return 2;
    }
    Picture picture = paint_star_field(kPictureWidth, kPictureHeight);
    const Picture icon = scale_square(picture, size);
    const std::vector<unsigned char> rgb = tone_map(icon);
    if (!write_png_rgb(argv[2], size, size, rgb)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
