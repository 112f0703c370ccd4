// Dialog units to pixels, as the Windows dialog manager converts them.
#include "platform/dialogs/dialog_units.h"

#include <cstdint>

namespace {

// MulDiv: value * numerator / denominator with the product in 64 bits, rounded half away from 0.
int mul_div(int value, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t rounded =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

}  // namespace

DialogBaseUnits base_units_from_font(int width_of_52_letters, int font_height) {
    DialogBaseUnits u{(width_of_52_letters / 26 + 1) / 2, font_height};
    // A font too small to measure still has to lay the dialog out.
    if (u.x < 1) u.x = 1;
    if (u.y < 1) u.y = 1;
    return u;
}

int dialog_x_to_pixels(int x, DialogBaseUnits units) { return mul_div(x, units.x, 4); }

int dialog_y_to_pixels(int y, DialogBaseUnits units) { return mul_div(y, units.y, 8); }

RECT map_dialog_rect(int x, int y, int cx, int cy, DialogBaseUnits units) {
    const int left = dialog_x_to_pixels(x, units);
    const int top = dialog_y_to_pixels(y, units);
    return RECT{left, top, left + dialog_x_to_pixels(cx, units),
                top + dialog_y_to_pixels(cy, units)};
}
