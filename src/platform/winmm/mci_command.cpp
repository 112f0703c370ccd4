// Splitting MCI command strings into words and flags.
#include "platform/winmm/mci_command.h"

#include <cctype>

namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

bool parse_decimal(std::string_view text, long* value) {
    if (text.empty() || text.size() > 9) return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

MCIERROR parse_mci_command(std::string_view text, MciCommand* command) {
    std::vector<MciToken> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (blank(text[i])) {
            ++i;
            continue;
        }
        MciToken word;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) return MCIERR_NO_CLOSING_QUOTE;
            word.text = std::string(text.substr(i + 1, close - i - 1));
            word.quoted = true;
            i = close + 1;
            if (i < text.size() && !blank(text[i])) return MCIERR_EXTRA_CHARACTERS;
        } else {
            const std::size_t start = i;
            while (i < text.size() && !blank(text[i])) ++i;
            word.text = std::string(text.substr(start, i - start));
        }
        words.push_back(std::move(word));
    }
    if (words.empty()) return MCIERR_MISSING_COMMAND_STRING;

    *command = MciCommand{};
    command->verb = words[0].text;
    if (words.size() > 1) command->device = words[1];
    for (std::size_t k = 2; k < words.size(); ++k) {
        const MciToken& w = words[k];
        bool* flag = nullptr;
        if (!w.quoted && iequals(w.text, "wait")) flag = &command->wait;
        if (!w.quoted && iequals(w.text, "notify")) flag = &command->notify;
        if (!flag) {
            command->args.push_back(w);
            continue;
        }
        if (*flag) return MCIERR_DUPLICATE_FLAGS;
        *flag = true;
    }
    return 0;
}

bool MciArgs::accept(std::initializer_list<std::string_view> words) {
    if (next_ + words.size() > args_.size()) return false;
    std::size_t k = next_;
    for (std::string_view w : words) {
        if (args_[k].quoted || !iequals(args_[k].text, w)) return false;
        ++k;
    }
    next_ = k;
    return true;
}

bool MciArgs::take(std::string* value) {
    if (done()) return false;
    *value = args_[next_++].text;
    return true;
}
