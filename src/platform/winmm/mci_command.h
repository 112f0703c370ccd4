// The words of an MCI command string, and a reader that takes them keyword by keyword.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/winmm/mci.h"

struct MciToken {
    std::string text;
    bool quoted = false;
};

struct MciCommand {
    std::string verb;
    MciToken device;             // the alias, the device type or the file; empty when missing
    std::vector<MciToken> args;  // the rest, without the flags below
    bool wait = false;
    bool notify = false;
};

// Splits a command string at blanks; a word that begins with '"' runs to the next '"' and may
// hold blanks. "wait" and "notify" after the device name are taken out as flags. Errors:
// MCIERR_MISSING_COMMAND_STRING, MCIERR_NO_CLOSING_QUOTE, MCIERR_EXTRA_CHARACTERS,
// MCIERR_DUPLICATE_FLAGS.
MCIERROR parse_mci_command(std::string_view text, MciCommand* command);

bool iequals(std::string_view a, std::string_view b);

// A plain decimal number of at most nine digits; false for anything else.
bool parse_decimal(std::string_view text, long* value);

// Reads a command's arguments in order.
class MciArgs {
public:
    explicit MciArgs(const std::vector<MciToken>& args) : args_(args) {}

    bool done() const { return next_ >= args_.size(); }
    // Takes the next words when they are these keywords (any case, never a quoted word).
    bool accept(std::initializer_list<std::string_view> words);
    // Takes the next word, whatever it is; false at the end.
    bool take(std::string* value);

private:
    const std::vector<MciToken>& args_;
    std::size_t next_ = 0;
};
