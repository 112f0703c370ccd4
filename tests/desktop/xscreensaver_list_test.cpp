// Adding Lumivex to XScreenSaver's list of hacks: the file as the daemon writes it and as people
// edit it, and the command that replaces it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "xscreensaver_programs.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kCommand = "lumivex --root";
const std::string kEntry = "\t\t\t\tlumivex --root\t\t\t\t    \\n";

// The shape of the file xscreensaver-settings 6.06 writes (the list shortened): a head line
// with tabs, entries padded with tabs, "-" for disabled ones, "GL:" visuals, a blank line after.
const std::string kHead =
    "# XScreenSaver Preferences File\n"
    "# Written by xscreensaver-settings 6.06 for someone on Tue Dec  8 10:25:48 2026.\n"
    "\n"
    "timeout:\t0:12:00\n"
    "mode:\t\tone\n"
    "selected:\t3\n"
    "\n"
    "programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "-\t\t\t\tnoseguy --root\t\t\t\t    \\n\\\n"
    "\t\t\t\tattraction --root\t\t\t    \\n\\\n";
const std::string kTail =
    "\n"
    "\n"
    "pointerHysteresis:  10\n"
    "authWarningSlack:   20\n";

TEST(XScreenSaverList, TheDaemonsFileGetsOneLineAtTheEndOfTheListAndOnlyOnce) {
    std::string text = kHead + kTail;
    EXPECT_EQ(add_program(text, kCommand), ProgramsEdit::Added);
    EXPECT_EQ(text, kHead + kEntry + "\\\n" + kTail);
    const std::string once = text;
    EXPECT_EQ(add_program(text, kCommand), ProgramsEdit::AlreadyThere);
    EXPECT_EQ(text, once);
}

TEST(XScreenSaverList, ListedInAnySpellingCountsAsThere) {
    for (const char* entry :
         {"lumivex --root", "-\t\tlumivex -root --fps",
          "- GL: /usr/libexec/xscreensaver/lumivex --root", "default: lumivex --window-id 5"}) {
        std::string text = "programs: maze --root \\n\\\n  " + std::string(entry) + " \\n\\\n\n";
        const std::string before = text;
        EXPECT_EQ(add_program(text, kCommand), ProgramsEdit::AlreadyThere) << entry;
        EXPECT_EQ(text, before);
    }
    std::string other = "programs: \\\n lumivexx --root \\n\\\n\n";
    EXPECT_EQ(add_program(other, kCommand), ProgramsEdit::Added);
}

TEST(XScreenSaverList, ListsWrittenByHand) {
    struct Case {
        const char* name;
        std::string before, after;
    };
    const Case cases[] = {
        {"no list: one at the end", "mode: random\n",
         "mode: random\n\nprograms:\t\t\t\t\t\t\t\t      \\\n" + kEntry + "\\\n\n"},
        {"no newline at the end", "mode: random",
         "mode: random\n\nprograms:\t\t\t\t\t\t\t\t      \\\n" + kEntry + "\\\n\n"},
        {"one entry on the head line", "programs: maze -root\nmode: one\n",
         "programs: maze -root \\n\\\n" + kEntry + "\nmode: one\n"},
        {"an empty list", "programs:\nmode: one\n", "programs:\\\n" + kEntry + "\nmode: one\n"},
        {"the last entry ends the list", "programs: \\\n  maze -root \\n\\\n  qix -root\nx: 1\n",
         "programs: \\\n  maze -root \\n\\\n  qix -root \\n\\\n" + kEntry + "\nx: 1\n"},
        {"Windows line ends", "programs: \\\r\n  maze -root \\n\\\r\n\r\nx: 1\r\n",
         "programs: \\\r\n  maze -root \\n\\\r\n" + kEntry + "\\\r\n\r\nx: 1\r\n"},
        {"the file ends inside the list", "programs: \\\n  maze -root \\n\\",
         "programs: \\\n  maze -root \\n\\\n" + kEntry + "\n"},
    };
    for (const Case& c : cases) {
        std::string text = c.before;
        EXPECT_EQ(add_program(text, kCommand), ProgramsEdit::Added) << c.name;
        EXPECT_EQ(text, c.after) << c.name;
        EXPECT_EQ(add_program(text, kCommand), ProgramsEdit::AlreadyThere) << c.name;
    }
}

std::string read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int run_tool(const fs::path& home) {
    const std::string command = "HOME='" + home.string() + "' " + LUMIVEX_BINARY_DIR +
                                "/lumivex-xscreensaver-enable >/dev/null";
    return std::system(command.c_str());
}

TEST(XScreenSaverList, TheCommandWritesThroughALinkAndMakesAFileWhenThereIsNone) {
    const fs::path home =
        fs::temp_directory_path() / ("lumivex-xss-list-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "dotfiles");
    EXPECT_EQ(run_tool(home), 0);
    EXPECT_EQ(read(home / ".xscreensaver"), new_preferences_file(kCommand));

    fs::remove(home / ".xscreensaver");
    std::ofstream(home / "dotfiles" / "xscreensaver", std::ios::binary) << kHead + kTail;
    fs::create_symlink("dotfiles/xscreensaver", home / ".xscreensaver");
    EXPECT_EQ(run_tool(home), 0);
    EXPECT_TRUE(fs::is_symlink(home / ".xscreensaver"));
    EXPECT_EQ(read(home / "dotfiles" / "xscreensaver"), kHead + kEntry + "\\\n" + kTail);
    EXPECT_EQ(run_tool(home), 0);
    EXPECT_EQ(read(home / "dotfiles" / "xscreensaver"), kHead + kEntry + "\\\n" + kTail);
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "dotfiles"), fs::directory_iterator()),
              1);  // no temporary file left
    fs::remove_all(home);
}

}  // namespace
