// Dialog units to pixels, by the dialog font's average character width and height.
#pragma once

#include "platform/win/win.h"

// The dialog base units: the average width of the font's characters and its height, in pixels.
struct DialogBaseUnits {
    int x;
    int y;
};

// Windows' rule: the width of the 52 letters A-Z a-z halved per letter pair, rounded up from
// the half ((width / 26 + 1) / 2), and the font's full height (ascent plus descent).
DialogBaseUnits base_units_from_font(int width_of_52_letters, int font_height);

// A horizontal dialog unit is a quarter of the average character width, a vertical one an
// eighth of the character height; each value is scaled on its own and rounded to nearest.
int dialog_x_to_pixels(int x, DialogBaseUnits units);
int dialog_y_to_pixels(int y, DialogBaseUnits units);
// MapDialogRect: position and size of a template rectangle (x, y, cx, cy) in pixels.
RECT map_dialog_rect(int x, int y, int cx, int cy, DialogBaseUnits units);
