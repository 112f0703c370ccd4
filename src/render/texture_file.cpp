// The 3DF reader: text header lines, format and size checks, then the texels of the whole chain.
#include "render/texture_file.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "resources/resource_table.h"

namespace {

// Format names by Glide format code.
constexpr const char* kFormatNames[] = {"rgb332", "yiq",      "a8",       "i8",       "ai44",
                                        "p8",     "rsvd1",    "rsvd2",    "argb8332", "ayiq8422",
                                        "rgb565", "argb1555", "argb4444", "ai88",     "ap88"};

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Reads header lines one at a time; a line ends at a line feed, and a header line that runs
// past the end of the resource is a failure.
class LineReader {
public:
    explicit LineReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<std::string_view> next() {
        const auto* begin = reinterpret_cast<const char*>(bytes_.data()) + pos_;
        const std::size_t left = bytes_.size() - pos_;
        const void* lf = std::memchr(begin, '\n', left);
        if (!lf) return std::nullopt;
        const auto length = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
        pos_ += length + 1;
        return std::string_view(begin, length);
    }
    std::optional<std::string_view> peek() {
        const std::size_t saved = pos_;
        auto line = next();
        pos_ = saved;
        return line;
    }
    std::size_t position() const { return pos_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// One integer in the usual notations (decimal, 0-prefixed octal, 0x-prefixed hexadecimal),
// after optional blanks; values beyond the 32-bit range saturate.
bool scan_integer(std::string_view& s, std::int64_t* out) {
    std::size_t i = 0;
    while (i < s.size() && is_space(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int base = 10;
    auto digit = [&](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 99;
    };
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
        i + 2 < s.size() && digit(s[i + 2]) < 16) {
        base = 16;
        i += 2;
    } else if (i < s.size() && s[i] == '0') {
        base = 8;
    }
    const std::size_t first = i;
    std::int64_t value = 0;
    while (i < s.size() && digit(s[i]) < base) {
        value = value * base + digit(s[i++]);
        if (value > 0xFFFFFFFFll) value = 0xFFFFFFFFll;
    }
    if (i == first) return false;
    *out = negative ? -value : value;
    s.remove_prefix(i);
    return true;
}

// Matches `prefix` (a blank in it matches any run of blanks, none included), then two integers.
int scan_two(std::string_view line, std::string_view prefix, std::int64_t* a, std::int64_t* b) {
    for (char p : prefix) {
        if (p == ' ') {
            while (!line.empty() && is_space(line.front())) line.remove_prefix(1);
        } else {
            if (line.empty() || line.front() != p) return 0;
            line.remove_prefix(1);
        }
    }
    if (!scan_integer(line, a)) return 0;
    if (!scan_integer(line, b)) return 1;
    return 2;
}

bool power_of_two_up_to_256(std::int64_t v) { return v >= 1 && v <= 256 && (v & (v - 1)) == 0; }

struct Aspect {
    std::int64_t w, h;
    std::int32_t code;
    int width_shift, height_shift;  // width = L >> width_shift, height = L >> height_shift
};
constexpr Aspect kAspects[] = {{8, 1, 0, 0, 3}, {4, 1, 1, 0, 2}, {2, 1, 2, 0, 1}, {1, 1, 3, 0, 0},
                               {1, 2, 4, 1, 0}, {1, 4, 5, 2, 0}, {1, 8, 6, 3, 0}};

}  // namespace

std::int32_t lod_from_size(std::int64_t size) {
    switch (size) {
        case 256:
            return 0;
        case 128:
            return 1;
        case 64:
            return 2;
        case 32:
            return 3;
        case 16:
            return 4;
        case 8:
            return 5;
        case 4:
            return 6;
        case 2:
            return 7;
        default:
            return 8;
    }
}

std::int32_t smallest_lod_for_aspect(std::int32_t aspect) {
    switch (aspect) {
        case 3:
            return 8;
        case 2:
        case 4:
            return 7;
        case 1:
        case 5:
            return 6;
        case 0:
        case 6:
            return 5;
        default:
            return 8;
    }
}

std::int32_t table_type_for_format(std::int32_t format) {
    switch (format) {
        case 1:
        case 9:
            return 0;
        case 5:
        case 14:
            return 2;
        default:
            return -1;
    }
}

int load_3df_bytes(std::span<const std::uint8_t> bytes, TextureFileInfo* out) {
    if (!out) return 0;
    *out = TextureFileInfo{};
    LineReader reader(bytes);

    // "3df v" and a version word, which is not checked.
    const auto first = reader.next();
    if (!first || first->substr(0, 5) != "3df v") return 0;
    std::string_view version = first->substr(5);
    while (!version.empty() && is_space(version.front())) version.remove_prefix(1);
    if (version.empty()) return 0;

    while (true) {
        const auto line = reader.peek();
        if (!line || line->empty() || line->front() != '#') break;
        reader.next();
    }

    // The format name: the first word, at most 10 characters read, 9 of them compared.
    const auto format_line = reader.next();
    if (!format_line) return 0;
    std::string_view word = *format_line;
    while (!word.empty() && is_space(word.front())) word.remove_prefix(1);
    std::size_t word_length = 0;
    while (word_length < word.size() && word_length < 10 && !is_space(word[word_length])) {
        ++word_length;
    }
    if (word_length == 0) return 0;
    word = word.substr(0, std::min<std::size_t>(word_length, 9));

    std::int64_t small_size, large_size, aspect_w, aspect_h;
    const auto lod_line = reader.next();
    if (!lod_line || scan_two(*lod_line, "lod range: ", &small_size, &large_size) < 2) return 0;
    const auto aspect_line = reader.next();
    if (!aspect_line || scan_two(*aspect_line, "aspect ratio: ", &aspect_w, &aspect_h) < 2)
        return 0;
    const std::size_t texels_at = reader.position();

    std::int32_t format = -1;
    for (std::int32_t code = 0; code < 15; ++code) {
        if (word == kFormatNames[code]) format = code;
    }
    if (format < 0) return 0;
    if (!power_of_two_up_to_256(small_size) || !power_of_two_up_to_256(large_size) ||
        small_size > large_size) {
        return 0;
    }
    const Aspect* aspect = nullptr;
    for (const Aspect& a : kAspects) {
        if (a.w == aspect_w && a.h == aspect_h) aspect = &a;
    }
    if (!aspect) return 0;

    std::uint32_t width = static_cast<std::uint32_t>(large_size >> aspect->width_shift);
    std::uint32_t height = static_cast<std::uint32_t>(large_size >> aspect->height_shift);
    // An aspect factor above the large size leaves the short side below one texel: no texture.
    if (width == 0 || height == 0) return 0;
    const std::uint32_t first_width = width, first_height = height;
    std::uint64_t texels = std::uint64_t{width} * height;
    for (std::int64_t size = large_size; size > small_size; size /= 2) {
        if (width > 1) width /= 2;
        if (height > 1) height /= 2;
        texels += std::uint64_t{width} * height;
    }
    const int bytes_per_texel = format >= 8 ? 2 : 1;
    const std::uint64_t mem_required = texels * bytes_per_texel;
    // Never read past the resource: a header that promises more texels than follow it fails.
    if (mem_required > bytes.size() - texels_at) return 0;

    out->data.resize(mem_required);
    const std::uint8_t* src = bytes.data() + texels_at;
    if (bytes_per_texel == 1) {
        std::memcpy(out->data.data(), src, mem_required);
    } else {
        for (std::uint64_t i = 0; i < texels; ++i) {
            const std::uint16_t v = static_cast<std::uint16_t>((src[2 * i] << 8) | src[2 * i + 1]);
            std::memcpy(out->data.data() + 2 * i, &v, 2);
        }
    }
    out->mem_required = static_cast<std::uint32_t>(mem_required);
    out->width = first_width;
    out->height = first_height;
    out->small_lod = smallest_lod_for_aspect(aspect->code);
    out->large_lod = lod_from_size(std::max(first_width, first_height));
    out->aspect_ratio = aspect->code;
    out->format = format;
    return 1;
}

int load_3df_resource(int id, TextureFileInfo* out) {
    if (!out) return 0;
    *out = TextureFileInfo{};
    const ResourceEntry* resource = find_resource(id, "texture");
    if (!resource) return 0;
    return load_3df_bytes(std::span<const std::uint8_t>(resource->data, resource->size), out);
}
