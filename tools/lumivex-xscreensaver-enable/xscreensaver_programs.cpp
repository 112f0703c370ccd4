// Finding the programs list in XScreenSaver's preferences and adding one entry to it.
#include "xscreensaver_programs.h"

#include <vector>

namespace {

constexpr std::string_view kName = "programs:";

struct Line {
    std::string body;  // without its end
    std::string end;   // "\n", "\r\n" or "" (the last line of a file without a newline)
};

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        Line line;
        if (nl == std::string::npos) {
            line.body = text.substr(start);
            start = text.size();
        } else {
            line.body = text.substr(start, nl - start);
            line.end = "\n";
            start = nl + 1;
        }
        if (!line.body.empty() && line.body.back() == '\r') {
            line.body.pop_back();
            line.end = "\r" + line.end;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool continues(const Line& line) { return !line.body.empty() && line.body.back() == '\\'; }

bool blank(std::string_view s) { return trim(s).empty(); }

// The program an entry runs: without "-", a visual name ("GL:") and any folder.
std::string_view program_of(std::string_view entry) {
    entry = trim(entry);
    if (entry.starts_with("-")) entry = trim(entry.substr(1));
    const std::size_t word_end = entry.find_first_of(" \t");
    const std::string_view first = entry.substr(0, word_end);
    if (first.ends_with(":") && word_end != std::string_view::npos) {
        entry = trim(entry.substr(word_end));
    }
    entry = entry.substr(0, entry.find_first_of(" \t"));
    const std::size_t slash = entry.rfind('/');
    return slash == std::string_view::npos ? entry : entry.substr(slash + 1);
}

// Column of the "\n" separators in the lines XScreenSaver writes (tab stops of eight).
constexpr std::size_t kSeparatorColumn = 72;

// An entry laid out as XScreenSaver lays out its own, with its "\n" separator.
std::string entry_line(std::string_view command) {
    std::string line = "\t\t\t\t" + std::string(command);
    std::size_t column = 32 + command.size();
    do {
        line += '\t';
        column = (column / 8 + 1) * 8;
    } while (column < kSeparatorColumn);
    return line + "    \\n";
}

std::string list_head() { return std::string(kName) + "\t\t\t\t\t\t\t\t      \\"; }

}  // namespace

ProgramsEdit add_program(std::string& text, std::string_view command) {
    std::vector<Line> lines = split_lines(text);
    std::size_t head = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trim(lines[i].body).starts_with(kName)) {
            head = i;
            break;
        }
    }
    if (head == lines.size()) {
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += "\n" + list_head() + "\n" + entry_line(command) + "\\\n\n";
        return ProgramsEdit::Added;
    }
    std::size_t last = head;
    while (last + 1 < lines.size() && continues(lines[last])) ++last;

    // The entries: the value's lines without their continuation, split at the "\n" escapes.
    std::string value;
    for (std::size_t i = head; i <= last; ++i) {
        std::string_view body = lines[i].body;
        if (i == head) body = trim(body).substr(kName.size());
        if (continues(lines[i])) body.remove_suffix(1);
        value += body;
    }
    const std::string_view wanted = program_of(command);
    for (std::size_t start = 0; start <= value.size();) {
        std::size_t sep = value.find("\\n", start);
        if (sep == std::string::npos) sep = value.size();
        if (program_of(std::string_view(value).substr(start, sep - start)) == wanted) {
            return ProgramsEdit::AlreadyThere;
        }
        start = sep + 2;
    }

    std::vector<Line> added;
    const std::string end = lines[last].end.empty() ? "\n" : lines[last].end;
    if (last > head && blank(lines[last].body) && continues(lines[last - 1])) {
        // As XScreenSaver leaves it: every entry continued, a blank line ends the list.
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last),
                     Line{entry_line(command) + "\\", end});
    } else {
        // The last line ends the list itself: it gets the separator it lacks (and the
        // continuation), the new entry ends the list instead.
        Line& tail = lines[last];
        const std::string_view rest =
            last == head ? trim(trim(tail.body).substr(kName.size())) : trim(tail.body);
        if (!continues(tail)) {
            if (!rest.empty() && !rest.ends_with("\\n")) tail.body += " \\n";
            tail.body += "\\";
        }
        tail.end = end;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1),
                     Line{entry_line(command), end});
    }
    text.clear();
    for (const Line& l : lines) text += l.body + l.end;
    return ProgramsEdit::Added;
}

std::string new_preferences_file(std::string_view command) {
    return "# XScreenSaver Preferences File\n"
           "# Written by lumivex-xscreensaver-enable. XScreenSaver adds its own hacks and its\n"
           "# settings to what it finds here, and keeps them here once they are changed.\n\n" +
           list_head() + "\n" + entry_line(command) + "\\\n\n";
}
