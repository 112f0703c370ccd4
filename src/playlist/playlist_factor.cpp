// The number of a "#f" line, read and written without regard to the locale.
#include "playlist/playlist_factor.h"

#include <cfloat>
#include <charconv>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

float parse_factor(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) ++i;
    const std::size_t sign_at = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t digits_at = i;
    int mantissa_digits = 0;
    int magnitude = 0;  // rough decimal exponent of the mantissa, to tell overflow from underflow
    bool seen_nonzero = false;
    while (i < text.size() && is_digit(text[i])) {
        seen_nonzero = seen_nonzero || text[i] != '0';
        if (seen_nonzero) ++magnitude;
        ++i;
        ++mantissa_digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) {
            if (!seen_nonzero && text[i] == '0') --magnitude;
            seen_nonzero = seen_nonzero || text[i] != '0';
            ++i;
            ++mantissa_digits;
        }
    }
    if (mantissa_digits == 0) return 0.0f;
    std::size_t end = i;
    int exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
        if (j < text.size() && is_digit(text[j])) {
            while (j < text.size() && is_digit(text[j])) {
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (negative) exponent = -exponent;
            end = j;
        }
    }

    const bool negative = text[sign_at] == '-';
    double value = 0.0;
    auto result = std::from_chars(text.data() + digits_at, text.data() + end, value);
    if (result.ec == std::errc::result_out_of_range) {
        value = (magnitude + exponent > 0) ? DBL_MAX : 0.0;
    }
    if (value > FLT_MAX) value = FLT_MAX;
    return static_cast<float>(negative ? -value : value);
}

std::string format_factor(float factor) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(factor),
                                std::chars_format::general, 6);
    return std::string(buffer, result.ptr);
}
