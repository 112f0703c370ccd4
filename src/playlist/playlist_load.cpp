// Reading a playlist file into a list: entries, property lines and nested playlists.
#include <cfloat>
#include <charconv>
#include <string_view>

#include "playlist/base_dir.h"
#include "playlist/playlist.h"
#include "playlist/playlist_line_reader.h"
#include "playlist/playlist_messages.h"
#include "playlist/playlist_paths.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank_line(std::string_view line) {
    for (char c : line) {
        if (!is_blank(c)) return false;
    }
    return true;
}

// A decimal number as the C library reads one, but without regard to the locale: leading white
// space skipped, reading stops where the number cannot go on, no number at all is 0.
float parse_factor(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (is_blank(text[i]) || (text[i] >= '\n' && text[i] <= '\r'))) ++i;
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

// A "#" line: a property of the last entry, or the list's name at the top of a top-level file.
void apply_property_line(Playlist& list, std::string_view line, const std::string& folder) {
    if (line.size() < 2) return;
    const char directive =
        (line[1] >= 'A' && line[1] <= 'Z') ? static_cast<char>(line[1] + 32) : line[1];
    std::string_view value = line.substr(2);
    while (!value.empty() && is_blank(value.front())) value.remove_prefix(1);

    if (list.depth == 0 && list.count == 0) {
        if (directive == 'n' && list.name.empty()) list.name = std::string(value);
        return;
    }
    if (list.count == 0) return;
    PlaylistEntry& last = *list.entries[list.count - 1];
    switch (directive) {
        case 'a':
            last.displayName = std::string(value);
            break;
        case 'l':
            last.lyricsFile = expandBaseDir(value, folder);
            break;
        case 'i':
            last.imageFile = expandBaseDir(value, folder);
            break;
        case 'f': {
            float factor = parse_factor(value);
            if (factor >= 0.0f) last.factor = factor;
            break;
        }
        default:
            break;
    }
}

}  // namespace

int Playlist::load(const std::string& path, bool append, bool recursive) {
    PlaylistLineReader reader(path);
    if (!append) clear();
    if (!reader.is_open()) {
        show_unable_to_open_playlist(ownerWindow, path);
        return 0;
    }

    const std::string folder = folder_of_path(path);
    int added = 0;
    std::string line;
    while (count < kPlaylistAppendLimit && reader.next_line(&line)) {
        if (is_blank_line(line)) continue;
        if (line[0] == '#') {
            apply_property_line(*this, line, folder);
            continue;
        }
        std::string text = expandBaseDir(line, folder);
        if (line.size() < 2) continue;
        if (checkFiles && !fileUsable(text)) {
            if (warnInvalid) warnInvalidFile(text);
            continue;
        }
        if (recursive && isPlaylistFile(text)) {
            ++depth;
            if (depth > kPlaylistMaxDepth) {
                // The depth stays raised until the next clear, so each enclosing file stops at
                // its next nested reference too: a cycle ends after a few messages, not hundreds.
                show_list_recursion_error(ownerWindow);
                return added;
            }
            load(text, true, true);
            --depth;
            continue;
        }
        if (appendPath(text)) ++added;
    }
    if (added == 0) show_unable_to_open_playlist(ownerWindow, path);
    return added;
}
