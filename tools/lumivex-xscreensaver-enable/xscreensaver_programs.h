// The "programs:" list of XScreenSaver's preferences file (~/.xscreensaver) and one entry added.
#pragma once

#include <string>
#include <string_view>

enum class ProgramsEdit {
    Added,         // the entry now ends the list
    AlreadyThere,  // a program of that name is listed (maybe disabled): nothing changes
};

// Adds `command` ("lumivex --root") as the last entry of the programs list of `text`, the whole
// file, and returns what happened. The list is the "programs:" line and the lines that follow
// it while each ends in a backslash; entries are separated by "\n" escapes and may start with
// "-" (disabled) and a visual name ("GL:"). The new line is laid out as XScreenSaver writes
// its own, and every existing line stays as it was, byte for byte; only a last entry that has
// no "\n" separator gets one, so that the entries keep their positions (the "selected:" number
// counts them). A file without the list gets one at its end; XScreenSaver adds its own hacks to
// a list that lacks them.
ProgramsEdit add_program(std::string& text, std::string_view command);

// A new preferences file that holds only the list with `command`.
std::string new_preferences_file(std::string_view command);
