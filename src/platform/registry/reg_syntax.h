// The line syntax of .reg files: key lines, value lines and the text form of each value kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/registry.h"

namespace lumivex::reg {

// A value as a query returns it: its type and its exact bytes (a REG_SZ includes its NUL).
struct Value {
    DWORD type = REG_NONE;
    std::string data;
};

// "[HKEY_CURRENT_USER\A\B]" or "[-HKEY_CURRENT_USER\A\B]".
struct KeyLine {
    bool current_user = false;  // false: another root, whose values are not ours
    bool remove = false;
    std::vector<std::string> path;  // the names below the root
};

// "\"Name\"=..." or "@=...": a value to store, or "=-" to delete it. The default value has name "".
struct ValueLine {
    std::string name;
    bool remove = false;
    Value value;
};

// Header lines; "REGEDIT4" is the older spelling of the same format.
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

bool is_header_line(std::string_view content);
// Any line that starts with '[' ends the section before it, even when it does not parse.
bool looks_like_key_line(std::string_view content);
std::optional<KeyLine> parse_key_line(std::string_view content);
// True when this line opens a hex value that goes on in the next line (it ends with '\').
bool opens_continuation(std::string_view content);
// True when a continuation line itself goes on in the next line.
bool continues(std::string_view content);
// Parses one logical value line; the continuation marks and line breaks are already removed.
std::optional<ValueLine> parse_value_line(std::string_view content);

std::string format_key_line(const std::vector<std::string>& path);
// The text of a value line; long hex data is folded into continuation lines joined by newline.
std::string format_value_line(std::string_view name, const Value& value, std::string_view newline);

// Case-folded form used to compare key and value names (ASCII letters only, as bytes).
std::string fold(std::string_view s);

}  // namespace lumivex::reg
