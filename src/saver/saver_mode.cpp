// Parsing the command line into a start mode and a parent window.
#include "saver/saver_mode.h"

#include <cstdint>

namespace {

SaverMode g_mode = SaverMode::None;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A signed decimal number as the C library's atoi reads it: leading white space, an optional
// sign, digits up to the first non-digit, 0 without digits. Overflow wraps instead of being
// undefined: a window number is a 32-bit value on Windows.
std::intptr_t to_number(const char* p) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    std::uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<std::uint32_t>(*p++ - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

}  // namespace

SaverMode saver_mode() { return g_mode; }
void set_saver_mode(SaverMode mode) { g_mode = mode; }

CommandLine parse_command_line(const char* line) {
    const char* p = line ? line : "";
    // The program name: quoted up to the closing quote, else up to the first blank.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
    } else {
        while (*p && !is_blank(*p)) ++p;
    }
    if (*p) ++p;
    while (is_blank(*p)) ++p;
    if (!*p) return {SaverMode::Run, nullptr};
    if (*p == '-' || *p == '/') ++p;

    char letter = *p;
    SaverMode mode;
    switch (letter) {
        case 's':
        case 'S':
            return {SaverMode::Run, nullptr};
        case 'c':
        case 'C':
            mode = SaverMode::Config;
            break;
        case 'a':
        case 'A':
            mode = SaverMode::ChangePassword;
            break;
        case 'p':
        case 'P':
        case 'l':
        case 'L':
            mode = SaverMode::Preview;
            break;
        default:
            return {SaverMode::None, nullptr};
    }
    ++p;
    while (is_blank(*p) || *p == ':') ++p;
    if (mode == SaverMode::Config && !*p) return {mode, GetForegroundWindow()};
    return {mode, hwnd_from_number(to_number(p))};
}
