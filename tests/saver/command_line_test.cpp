// The command line: every form Windows, users and screen-saver daemons start the saver with.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/win/win_scripted.h"
#include "saver/hack_options.h"
#include "saver/saver_mode.h"

namespace {

struct Case {
    const char* line;
    SaverMode mode;
    std::intptr_t parent;
};

TEST(CommandLine, ModesAndParents) {
    ScriptedWin win;
    const Case cases[] = {
        {"lumivex.scr", SaverMode::Run, 0},
        {"lumivex.scr ", SaverMode::Run, 0},
        {"\"C:\\Program Files\\My Savers\\lumivex.scr\" /s", SaverMode::Run, 0},
        {"\"C:\\Program Files\\My Savers\\lumivex.scr\"", SaverMode::Run, 0},
        {"\"/opt/with blanks/lumivex\" -S", SaverMode::Run, 0},
        {"lumivex s", SaverMode::Run, 0},
        {"lumivex /settings", SaverMode::Run, 0},
        {"lumivex /P:4711", SaverMode::Preview, 4711},
        {"lumivex -l 4711", SaverMode::Preview, 4711},
        {"lumivex /p    1234", SaverMode::Preview, 1234},
        {"lumivex /l: : 99", SaverMode::Preview, 99},
        {"lumivex /a 1234", SaverMode::ChangePassword, 1234},
        {"lumivex /A", SaverMode::ChangePassword, 0},
        {"lumivex /c:1234", SaverMode::Config, 1234},
        {"lumivex /c:0", SaverMode::Config, 0},
        {"lumivex /configure", SaverMode::Config, 0},
        {"lumivex /c -12", SaverMode::Config, -12},
        {"lumivex /p abc", SaverMode::Preview, 0},
        {"lumivex /p 12abc", SaverMode::Preview, 12},
        {"lumivex /x", SaverMode::None, 0},
        {"lumivex /?", SaverMode::None, 0},
        {"lumivex //s", SaverMode::None, 0},
        {"lumivex -", SaverMode::None, 0},
        {"", SaverMode::Run, 0},
    };
    for (const Case& c : cases) {
        CommandLine cl = parse_command_line(c.line);
        EXPECT_EQ(cl.mode, c.mode) << c.line;
        EXPECT_EQ(hwnd_to_number(cl.parent), c.parent) << c.line;
    }
}

TEST(CommandLine, ConfigWithoutNumberTakesTheForegroundWindow) {
    ScriptedWin win;
    win.set_foreground(hwnd_from_number(0x5000));
    EXPECT_EQ(hwnd_to_number(parse_command_line("lumivex /c").parent), 0x5000);
    EXPECT_EQ(hwnd_to_number(parse_command_line("lumivex -C  ::").parent), 0x5000);
    EXPECT_EQ(hwnd_to_number(parse_command_line("lumivex /c:0").parent), 0);
}

TEST(CommandLine, HugeNumbersWrapInsteadOfOverflowing) {
    ScriptedWin win;
    CommandLine cl = parse_command_line("lumivex /p 99999999999999999999999");
    EXPECT_EQ(cl.mode, SaverMode::Preview);
    CommandLine unterminated = parse_command_line("\"unterminated quote /s");
    EXPECT_EQ(unterminated.mode, SaverMode::Run);
}

// What a hack command line asks for, written out: the kind, then either the error or the
// window and every option that differs from "keep the stored setting".
std::string describe(const HackCommand& c) {
    std::ostringstream out;
    switch (c.kind) {
        case HackCommandKind::Windows:
            return "windows";
        case HackCommandKind::Help:
            return "help";
        case HackCommandKind::Version:
            return "version";
        case HackCommandKind::Refused:
            return "refused: " + c.error;
        case HackCommandKind::Hack:
            break;
    }
    const HackOptions& o = c.options;
    out << (o.root ? "root" : "preview") << " 0x" << std::hex << o.window << std::dec;
    auto number = [&out](const char* name, const std::optional<int>& v) {
        if (v) out << " " << name << "=" << *v;
    };
    auto flag = [&out](const char* name, const std::optional<bool>& v) {
        if (v) out << " " << name << "=" << (*v ? "on" : "off");
    };
    number("background", o.background);
    if (o.random_background) out << " background=random";
    number("small", o.small_stars);
    number("speed", o.speed);
    number("big", o.big_stars);
    number("resolution", o.resolution);
    flag("trails", o.trails);
    flag("show", o.show_background);
    flag("move", o.move_random);
    flag("music", o.music);
    if (o.fps) out << " fps";
    return out.str();
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

TEST(HackCommandLine, OptionsRefusalsAndTheWindowsFormsUntouched) {
    struct HackCase {
        const char* args;
        const char* env;  // XSCREENSAVER_WINDOW, null when unset
        const char* expected;
    };
    const HackCase cases[] = {
        // The window.
        {"--root", nullptr, "root 0x0"},
        {"-root", "0x2a00007", "root 0x2a00007"},
        {"--root", "4711", "root 0x1267"},
        {"--root", "", "root 0x0"},
        {"--window-id 0x400A77", "0x5", "preview 0x400a77"},
        {"-window-id 1234", nullptr, "preview 0x4d2"},
        {"--root --window-id 0x400a77", "0x400a77", "preview 0x400a77"},
        {"--root", "junk", "refused: XSCREENSAVER_WINDOW holds no X window id: \"junk\""},
        {"--window-id", nullptr, "refused: --window-id needs a value"},
        {"--window-id 0", nullptr,
         "refused: --window-id takes an X window id (decimal or 0x hex), not \"0\""},
        {"--window-id 0x1FFFFFFFF", nullptr,
         "refused: --window-id takes an X window id (decimal or 0x hex), not \"0x1FFFFFFFF\""},
        // Every option, both spellings, both ends of each range.
        {"--root --background 0 --small-stars 100 --speed 0 --big-stars 1 --resolution 0", nullptr,
         "root 0x0 background=0 small=100 speed=0 big=1 resolution=0"},
        {"-root -background 8 -small-stars 400 -speed 4 -big-stars 8 -resolution 2", nullptr,
         "root 0x0 background=8 small=400 speed=4 big=8 resolution=2"},
        {"--root --background random", nullptr, "root 0x0 background=random"},
        {"--root --background random --background 3", nullptr, "root 0x0 background=3"},
        {"--root --trails --show-background --move-random --music --fps", nullptr,
         "root 0x0 trails=on show=on move=on music=on fps"},
        {"-root -no-trails -no-show-background -no-move-random -no-music", nullptr,
         "root 0x0 trails=off show=off move=off music=off"},
        {"--speed 3 --root", nullptr, "root 0x0 speed=3"},
        // Refusals.
        {"--root --background 9", nullptr,
         "refused: --background takes a number from 0 to 8 or \"random\", not \"9\""},
        {"--root --small-stars 99", nullptr,
         "refused: --small-stars takes a number from 100 to 400, not \"99\""},
        {"--root --speed -1", nullptr, "refused: --speed takes a number from 0 to 4, not \"-1\""},
        {"--root --speed 2.5", nullptr, "refused: --speed takes a number from 0 to 4, not \"2.5\""},
        {"--root --big-stars 0", nullptr,
         "refused: --big-stars takes a number from 1 to 8, not \"0\""},
        {"--root --resolution 3", nullptr,
         "refused: --resolution takes a number from 0 to 2, not \"3\""},
        {"--root --resolution", nullptr, "refused: --resolution needs a value"},
        {"--root --loud", nullptr, "refused: unknown option \"--loud\""},
        {"--root /s", nullptr, "refused: unknown option \"/s\""},
        {"--root --help", nullptr, "refused: unknown option \"--help\""},
        // --help and --version: only these words, and first.
        {"--help", nullptr, "help"},
        {"--version", nullptr, "version"},
        {"--help me", nullptr, "help"},
        {"--Help", nullptr, "windows"},
        {"-help", nullptr, "windows"},
        {"--versions", nullptr, "windows"},
        {"-v", nullptr, "windows"},
        // The Windows forms keep the Windows rule, even with a hack word after them.
        {"", "0x5", "windows"},
        {"/s", nullptr, "windows"},
        {"-s", nullptr, "windows"},
        {"/c:123", nullptr, "windows"},
        {"/p 123", nullptr, "windows"},
        {"/p 123 --root", nullptr, "windows"},
        {"/x", nullptr, "windows"},
        {"--fps", nullptr, "windows"},
        {"-speed 3", nullptr, "windows"},
        {"--rooted", nullptr, "windows"},
    };
    for (const HackCase& c : cases) {
        EXPECT_EQ(describe(parse_hack_command(words(c.args), c.env)), c.expected) << c.args;
    }
}

}  // namespace
