// The number of a "#f" line, read and written without regard to the locale.
#pragma once

#include <string>
#include <string_view>

// Reads a decimal number as the C library does (leading white space skipped, reading stops where
// the number cannot go on, no number at all is 0), but always with "." as the decimal point:
// a desktop that sets a locale must not change what a playlist means. Values beyond the float
// range are held at its largest value.
float parse_factor(std::string_view text);
// The general notation with at most 6 significant digits and no trailing zeros (0.5, 2, 1.25).
std::string format_factor(float factor);
