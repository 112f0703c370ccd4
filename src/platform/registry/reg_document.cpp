// Splitting a .reg file into lines, applying them in order, and editing it line by line.
#include "platform/registry/reg_document.h"

#include <functional>

namespace lumivex::reg {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A physical line without its line break. Every CR before the LF belongs to the break: a CR LF
// line that went through a tool which saw only the LF as the break comes back as CR CR LF.
std::string_view content_of(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

// The physical line as it is kept, with its break normalised: LF and CR LF stay as they are, a run
// of CRs before the LF becomes CR LF, and so do CRs that end the file without an LF (a CR LF file
// cut between CR and LF), so that no later line is ever glued onto them.
void append_kept(std::string& out, std::string_view line) {
    std::string_view content = content_of(line);
    std::string_view end = line.substr(content.size());
    if (end.empty() || end == "\n" || end == "\r\n") {
        out += line;
    } else {
        out += content;
        out += "\r\n";
    }
}

std::string_view terminator_of(std::string_view text) {
    if (text.ends_with("\r\n")) return "\r\n";
    if (text.ends_with("\n")) return "\n";
    return "";
}

bool is_blank_line(std::string_view text) {
    return content_of(text).find_first_not_of(" \t") == std::string_view::npos;
}

std::string_view trim_blanks(std::string_view s) {
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    std::size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> physical_lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        std::size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
        out.push_back(text.substr(start, end - start));
        start = end;
    }
    return out;
}

// A line that goes on a hex value; a key or value line after a dangling '\' is never swallowed.
bool continuation_line(std::string_view c) {
    std::string_view t = trim_blanks(c);
    return !t.empty() && t.front() != '[' && t.front() != '"' && t.front() != '@';
}

// A hex value split over lines: the marks and the indentation go, the data joins up.
std::string join_continued(const std::vector<std::string_view>& parts) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string_view c = content_of(parts[i]);
        if (i > 0) c = trim_blanks(c);
        if (i + 1 < parts.size()) {
            c = c.substr(0, c.find_last_not_of(" \t") + 1);
            c.remove_suffix(1);  // the '\'
        }
        joined += c;
    }
    return joined;
}

void ensure_header(Document& doc) {
    for (const Line& line : doc.lines) {
        if (line.kind == LineKind::Header) return;
    }
    Line header;
    header.text = std::string(kHeader) + doc.newline;
    header.kind = LineKind::Header;
    Line blank;
    blank.text = doc.newline;
    doc.lines.insert(doc.lines.begin(), {header, blank});
}

// The spelling a new key line uses: keys that exist keep theirs, as on Windows.
std::vector<std::string> spelling(const Hive& hive, const std::vector<std::string>& path) {
    std::vector<std::string> out;
    std::vector<std::string> prefix;
    for (const auto& part : path) {
        prefix.push_back(part);
        auto it = hive.find(path_id(prefix));
        out.push_back(it != hive.end() ? it->second.path.back() : part);
    }
    return out;
}

void append_key_line(Document& doc, const std::vector<std::string>& path) {
    if (!doc.lines.empty() && !is_blank_line(doc.lines.back().text)) {
        Line blank;
        blank.text = doc.newline;
        doc.lines.push_back(std::move(blank));
    }
    Line key;
    key.text = format_key_line(path) + doc.newline;
    key.kind = LineKind::Key;
    key.key.current_user = true;
    key.key.path = path;
    doc.lines.push_back(std::move(key));
}

Line make_value_line(std::string_view name, const Value& value, std::string_view newline,
                     std::string_view terminator) {
    Line line;
    line.text = format_value_line(name, value, newline);
    line.text += terminator;
    line.kind = LineKind::Value;
    line.value.name = std::string(name);
    line.value.value = value;
    return line;
}

void remove_tree(Hive& hive, const std::string& id) {
    std::string below = id + '\\';
    for (auto it = hive.begin(); it != hive.end();) {
        if (it->first == id || it->first.starts_with(below)) {
            it = hive.erase(it);
        } else {
            ++it;
        }
    }
}

// Splits text into its logical lines, handing each to take in order, and finds the file's own
// line break.
void split_document(std::string_view text, std::string& newline,
                    const std::function<void(Line&&)>& take) {
    // Most files need no change to their line breaks and are split as they are.
    std::string normalised;
    if (text.find("\r\r\n") != std::string_view::npos || text.ends_with('\r')) {
        normalised.reserve(text.size() + 2);
        for (std::string_view p : physical_lines(text)) append_kept(normalised, p);
        text = normalised;
    }
    std::vector<std::string_view> phys = physical_lines(text);
    for (std::string_view p : phys) {
        if (p.ends_with('\n')) {
            newline = p.ends_with("\r\n") ? "\r\n" : "\n";
            break;
        }
    }
    bool seen_content = false;
    // A UTF-8 byte-order mark is no part of the text. It goes wherever it stands at the file's
    // start: first in the file, or first below a header that an older write put above it, where
    // it hid the key line after it. Writing the file back then leaves clean text below the header.
    bool at_start = true;
    for (std::size_t i = 0; i < phys.size(); ++i) {
        while (at_start && phys[i].starts_with(kUtf8Mark)) phys[i].remove_prefix(kUtf8Mark.size());
        if (phys[i].empty()) continue;  // nothing but the mark
        Line line;
        line.text = std::string(phys[i]);
        std::string_view c = content_of(phys[i]);
        bool blank = trim_blanks(c).empty();
        bool header = !seen_content && !blank && is_header_line(c);
        seen_content = seen_content || !blank;
        at_start = at_start && (blank || header);

        if (header) {
            line.kind = LineKind::Header;
        } else if (looks_like_key_line(c)) {
            // A bracket line that does not parse still ends the section before it, so the
            // values after it never land in the wrong key; it counts as a key that is not ours.
            line.kind = LineKind::Key;
            if (auto key = parse_key_line(c)) line.key = std::move(*key);
        } else if (opens_continuation(c)) {
            std::vector<std::string_view> parts{phys[i]};
            while (i + 1 < phys.size() && continues(content_of(parts.back())) &&
                   continuation_line(content_of(phys[i + 1]))) {
                parts.push_back(phys[++i]);
                line.text += phys[i];
            }
            // Cut off in the middle (a truncated file): the value is not trusted.
            if (!continues(content_of(parts.back()))) {
                if (auto value = parse_value_line(join_continued(parts))) {
                    line.kind = LineKind::Value;
                    line.value = std::move(*value);
                }
            }
        } else if (auto value = parse_value_line(c)) {
            line.kind = LineKind::Value;
            line.value = std::move(*value);
        }
        take(std::move(line));
    }
}

// Applies lines from top to bottom; index is the line's place in the document.
class Replay {
public:
    void apply(const Line& line, std::size_t index) {
        if (line.kind == LineKind::Key) {
            current_ = nullptr;
            const KeyLine& key = line.key;
            if (!key.current_user) return;
            if (key.remove) {
                // The root itself cannot be deleted; the Windows editor refuses it too.
                if (!key.path.empty()) remove_tree(hive, path_id(key.path));
                return;
            }
            std::vector<std::string> prefix;
            KeyNode* node = nullptr;
            for (const auto& part : key.path) {
                prefix.push_back(part);
                node = &hive[path_id(prefix)];
                if (node->path.empty()) node->path = prefix;
            }
            if (!node) node = &hive[""];
            node->has_section = true;
            node->section_line = index;
            current_ = node;
        } else if (line.kind == LineKind::Value && current_) {
            const ValueLine& v = line.value;
            std::string id = fold(v.name);
            if (v.remove) {
                current_->values.erase(id);
                return;
            }
            auto [it, fresh] = current_->values.try_emplace(id);
            if (fresh) it->second.name = v.name;
            it->second.value = v.value;
            it->second.line = index;
        }
    }

    Hive hive;

private:
    KeyNode* current_ = nullptr;
};

}  // namespace

std::string path_id(const std::vector<std::string>& path) {
    std::string id;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (i > 0) id += '\\';
        id += fold(path[i]);
    }
    return id;
}

Document parse_document(std::string_view text) {
    Document doc;
    split_document(text, doc.newline, [&](Line&& line) { doc.lines.push_back(std::move(line)); });
    return doc;
}

std::string serialize(const Document& doc) {
    std::string out;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        out += doc.lines[i].text;
        if (i + 1 < doc.lines.size() && !doc.lines[i].text.ends_with('\n')) out += doc.newline;
    }
    return out;
}

Hive replay(const Document& doc) {
    Replay replay;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) replay.apply(doc.lines[i], i);
    return std::move(replay.hive);
}

Hive replay_text(std::string_view text) {
    Replay replay;
    std::string newline;
    std::size_t index = 0;
    split_document(text, newline, [&](Line&& line) { replay.apply(line, index++); });
    return std::move(replay.hive);
}

bool add_key(Document& doc, const std::vector<std::string>& path) {
    if (path.empty()) return false;
    ensure_header(doc);
    Hive hive = replay(doc);
    if (hive.contains(path_id(path))) return false;
    append_key_line(doc, spelling(hive, path));
    return true;
}

void set_values(Document& doc, const std::vector<std::string>& path,
                std::span<const NamedValue> values) {
    ensure_header(doc);
    Hive hive = replay(doc);
    auto node = hive.find(path_id(path));
    // Values the key does not hold yet, in the order given; a name given twice keeps its last.
    std::vector<Line> added;
    std::map<std::string, std::size_t> added_at;
    for (const NamedValue& v : values) {
        std::string id = fold(v.name);
        if (node != hive.end()) {
            auto stored = node->second.values.find(id);
            if (stored != node->second.values.end()) {
                Line& old = doc.lines[stored->second.line];
                old = make_value_line(stored->second.name, v.value, doc.newline,
                                      terminator_of(old.text));
                continue;
            }
        }
        auto [it, fresh] = added_at.try_emplace(id, added.size());
        if (fresh) {
            added.push_back(make_value_line(v.name, v.value, doc.newline, doc.newline));
        } else {
            Line& earlier = added[it->second];
            earlier = make_value_line(earlier.value.name, v.value, doc.newline, doc.newline);
        }
    }
    if (added.empty()) return;
    if (node != hive.end() && node->second.has_section) {
        // After the section's last value: comments below it usually belong to the next key.
        std::size_t at = node->second.section_line + 1;
        for (std::size_t i = at; i < doc.lines.size(); ++i) {
            if (doc.lines[i].kind == LineKind::Key) break;
            if (doc.lines[i].kind == LineKind::Value) at = i + 1;
        }
        doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at),
                         std::make_move_iterator(added.begin()),
                         std::make_move_iterator(added.end()));
        return;
    }
    append_key_line(doc, spelling(hive, path));
    for (Line& line : added) doc.lines.push_back(std::move(line));
}

void set_value(Document& doc, const std::vector<std::string>& path, std::string_view name,
               const Value& value) {
    const NamedValue one{std::string(name), value};
    set_values(doc, path, std::span(&one, 1));
}

std::string decode_reg_text(std::string_view bytes) {
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return std::string(bytes);
    auto unit = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    std::string out;
    out.reserve(bytes.size());
    // A trailing odd byte is half a character of a cut-off file: it is dropped.
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00) {
            unsigned low = i + 3 < bytes.size() ? unit(i + 2) : 0;
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xDC00 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace lumivex::reg
