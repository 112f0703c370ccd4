// Reading and writing single .reg lines: key paths, value names, strings, dwords and hex data.
#include "platform/registry/reg_syntax.h"

#include <cstdio>

namespace lumivex::reg {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";
// Hex data is folded the way the Windows editor folds it, so the file stays pleasant to read.
constexpr std::size_t kFoldColumn = 77;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trim_right(std::string_view s) {
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    return trim_right(s);
}

bool starts_with_folded(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lower(s[i]) != lower(prefix[i])) return false;
    }
    return true;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to 8 hex digits and nothing else.
std::optional<DWORD> parse_hex_number(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    DWORD v = 0;
    for (char c : s) {
        int d = hex_digit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    return v;
}

// A quoted text starting at s[pos] == '"'. Only \\ and \" are escapes; any other backslash is
// kept as it stands, so paths written by hand with single backslashes still read as meant.
std::optional<std::string> parse_quoted(std::string_view s, std::size_t& pos) {
    std::string out;
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

// The value name and the '=' after it; pos ends on the first byte of the data.
std::optional<std::string> parse_name(std::string_view s, std::size_t& pos) {
    pos = 0;
    while (pos < s.size() && is_blank(s[pos])) ++pos;
    std::optional<std::string> name;
    if (pos < s.size() && s[pos] == '@') {
        name = std::string();
        ++pos;
    } else if (pos < s.size() && s[pos] == '"') {
        name = parse_quoted(s, pos);
    }
    if (!name) return std::nullopt;
    while (pos < s.size() && is_blank(s[pos])) ++pos;
    if (pos >= s.size() || s[pos] != '=') return std::nullopt;
    ++pos;
    while (pos < s.size() && is_blank(s[pos])) ++pos;
    return name;
}

// "01,02, ff" -> bytes. Exactly two digits a byte and no trailing comma, as the format is
// written: a file cut off inside the data then reads as no value rather than a shorter one.
std::optional<std::string> parse_hex_bytes(std::string_view s) {
    std::string out;
    if (trim(s).empty()) return out;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = s.find(',', start);
        bool last = comma == std::string_view::npos;
        std::string_view token =
            trim(s.substr(start, last ? std::string_view::npos : comma - start));
        if (token.size() != 2) return std::nullopt;
        auto v = parse_hex_number(token);
        if (!v) return std::nullopt;
        out += static_cast<char>(*v);
        if (last) return out;
        start = comma + 1;
    }
}

void append_escaped(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// A REG_SZ takes the quoted form only when that form gives back exactly the same bytes.
bool quotable(const Value& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != '\0') return false;
    std::string_view text(v.data.data(), v.data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

}  // namespace

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
}

bool is_header_line(std::string_view content) {
    content = trim(content);
    return content == kHeader || content == kOldHeader;
}

bool looks_like_key_line(std::string_view content) {
    content = trim(content);
    return !content.empty() && content.front() == '[';
}

std::optional<KeyLine> parse_key_line(std::string_view content) {
    content = trim(content);
    if (content.size() < 2 || content.front() != '[' || content.back() != ']') return std::nullopt;
    std::string_view inner = content.substr(1, content.size() - 2);
    KeyLine key;
    if (!inner.empty() && inner.front() == '-') {
        key.remove = true;
        inner.remove_prefix(1);
    }
    std::size_t slash = inner.find('\\');
    std::string_view root = inner.substr(0, slash);
    if (root.empty()) return std::nullopt;
    key.current_user = root.size() == kRoot.size() && starts_with_folded(root, kRoot);
    while (slash != std::string_view::npos) {
        std::size_t next = inner.find('\\', slash + 1);
        std::string_view part = inner.substr(
            slash + 1, next == std::string_view::npos ? std::string_view::npos : next - slash - 1);
        if (!part.empty()) key.path.emplace_back(part);
        slash = next;
    }
    return key;
}

bool opens_continuation(std::string_view content) {
    std::size_t pos = 0;
    if (!parse_name(content, pos)) return false;
    return starts_with_folded(content.substr(pos), "hex") && continues(content);
}

bool continues(std::string_view content) {
    content = trim_right(content);
    return !content.empty() && content.back() == '\\';
}

std::optional<ValueLine> parse_value_line(std::string_view content) {
    std::size_t pos = 0;
    auto name = parse_name(content, pos);
    if (!name) return std::nullopt;
    ValueLine line;
    line.name = std::move(*name);
    std::string_view data = trim_right(content.substr(pos));
    if (data == "-") {
        line.remove = true;
        return line;
    }
    if (!data.empty() && data.front() == '"') {
        std::size_t end = 0;
        auto text = parse_quoted(data, end);
        if (!text || end != data.size()) return std::nullopt;
        line.value = {REG_SZ, std::move(*text) + '\0'};
        return line;
    }
    if (starts_with_folded(data, "dword:")) {
        auto v = parse_hex_number(data.substr(6));
        if (!v) return std::nullopt;
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((*v >> (8 * i)) & 0xFF);
        line.value = {REG_DWORD, std::move(bytes)};
        return line;
    }
    DWORD type = REG_BINARY;
    if (starts_with_folded(data, "hex:")) {
        data.remove_prefix(4);
    } else if (starts_with_folded(data, "hex(")) {
        std::size_t close = data.find(')');
        if (close == std::string_view::npos || close + 1 >= data.size() || data[close + 1] != ':')
            return std::nullopt;
        auto n = parse_hex_number(data.substr(4, close - 4));
        if (!n) return std::nullopt;
        type = *n;
        data.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = parse_hex_bytes(data);
    if (!bytes) return std::nullopt;
    line.value = {type, std::move(*bytes)};
    return line;
}

std::string format_key_line(const std::vector<std::string>& path) {
    std::string out = "[";
    out += kRoot;
    for (const auto& part : path) {
        out += '\\';
        out += part;
    }
    out += ']';
    return out;
}

std::string format_value_line(std::string_view name, const Value& value, std::string_view newline) {
    std::string out;
    if (name.empty()) {
        out += '@';
    } else {
        append_escaped(out, name);
    }
    out += '=';
    char buf[32];
    if (quotable(value)) {
        append_escaped(out, std::string_view(value.data.data(), value.data.size() - 1));
        return out;
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        DWORD v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<DWORD>(static_cast<unsigned char>(value.data[i])) << (8 * i);
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v));
        return out + buf;
    }
    if (value.type == REG_BINARY) {
        out += "hex:";
    } else {
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(value.type));
        out += buf;
    }
    std::size_t line_start = 0;
    bool line_has_bytes = false;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x",
                      static_cast<unsigned>(static_cast<unsigned char>(value.data[i])));
        std::size_t width = i + 1 < value.data.size() ? 3 : 2;
        if (line_has_bytes && out.size() - line_start + width > kFoldColumn) {
            out += '\\';
            out += newline;
            line_start = out.size();
            out += "  ";
        }
        out += buf;
        if (i + 1 < value.data.size()) out += ',';
        line_has_bytes = true;
    }
    return out;
}

}  // namespace lumivex::reg
