// The command line: every form Windows and users start a screen saver with.
#include <gtest/gtest.h>

#include "platform/win/win_scripted.h"
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

}  // namespace
