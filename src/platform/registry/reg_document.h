// A .reg file as its lines, the keys and values they add up to, and the two edits a write makes.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/reg_syntax.h"

namespace lumivex::reg {

enum class LineKind { Other, Header, Key, Value };

// One logical line: a hex value may span several physical lines. The original text, line breaks
// included, is what gets written back, so lines the program does not touch stay byte for byte.
struct Line {
    std::string text;
    LineKind kind = LineKind::Other;
    KeyLine key;      // kind == Key
    ValueLine value;  // kind == Value
};

struct Document {
    std::vector<Line> lines;
    std::string newline = "\n";  // the file's own line break, used for the lines we add
};

struct StoredValue {
    std::string name;  // as first written
    Value value;
    std::size_t line = 0;  // the line that gave the value its present content
};

struct KeyNode {
    std::vector<std::string> path;  // as first written
    bool has_section = false;
    std::size_t section_line = 0;               // the last "[...]" line naming exactly this key
    std::map<std::string, StoredValue> values;  // by folded name
};

// HKEY_CURRENT_USER after the file has been applied from top to bottom, by folded path.
using Hive = std::map<std::string, KeyNode>;

// Text must already be 8-bit (see decode_reg_text). Never fails: what does not parse is kept
// as an Other line. A UTF-8 byte-order mark at the start goes, and broken line breaks are
// normalised; every other byte is kept.
Document parse_document(std::string_view text);
std::string serialize(const Document& doc);
Hive replay(const Document& doc);
// replay(parse_document(text)) without keeping the lines: what a reader needs.
Hive replay_text(std::string_view text);

std::string path_id(const std::vector<std::string>& path);  // folded, '\'-joined

// Adds a key line for path unless the key exists already; true when the document changed.
bool add_key(Document& doc, const std::vector<std::string>& path);
// Makes the value hold value, changing the line that set it last or adding one.
void set_value(Document& doc, const std::vector<std::string>& path, std::string_view name,
               const Value& value);

struct NamedValue {
    std::string name;
    Value value;
};
// set_value for several values of one key in a single edit; the values the key does not hold yet
// are added together, in the order given.
void set_values(Document& doc, const std::vector<std::string>& path,
                std::span<const NamedValue> values);

// File bytes to 8-bit text: UTF-16LE with a byte-order mark becomes UTF-8, the rest stays as it is.
std::string decode_reg_text(std::string_view bytes);

}  // namespace lumivex::reg
