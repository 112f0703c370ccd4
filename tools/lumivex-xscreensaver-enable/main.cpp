// lumivex-xscreensaver-enable [FILE]: adds "lumivex --root" to XScreenSaver's list of hacks.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "platform/system/file_ops.h"
#include "xscreensaver_programs.h"

namespace {

constexpr const char* kCommand = "lumivex --root";

constexpr const char* kUsage =
    "usage: lumivex-xscreensaver-enable [FILE]\n"
    "  adds \"lumivex --root\" to the programs list of XScreenSaver's preferences, FILE or\n"
    "  ~/.xscreensaver, keeping every other line as it is; the file is replaced in one step\n"
    "  (through a symbolic link to where it leads) and made when there is none. Nothing\n"
    "  changes when Lumivex is listed already, enabled or not. Choose it afterwards in\n"
    "  xscreensaver-settings.\n"
    "exit status: 0 listed, 1 the file could not be read or written, 2 bad command line\n";

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> read_whole_file(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string path;
    if (argc == 2) {
        path = argv[1];
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            std::fprintf(stderr, "lumivex-xscreensaver-enable: HOME is not set\n");
            return 1;
        }
        path = std::string(home) + "/.xscreensaver";
    }

    std::string text;
    bool created = false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        text = new_preferences_file(kCommand);
        created = true;
    } else {
        // Read through the file layer, which opens only regular files: a FIFO or a folder there
        // fails at once instead of blocking.
        const std::optional<std::string> content = read_whole_file(path.c_str());
        if (!content) {
            std::fprintf(stderr, "lumivex-xscreensaver-enable: cannot read %s\n", path.c_str());
            return 1;
        }
        text = *content;
        if (add_program(text, kCommand) == ProgramsEdit::AlreadyThere) {
            std::printf("%s lists Lumivex already; nothing changed\n", path.c_str());
            return 0;
        }
    }
    if (!replace_file_contents(path.c_str(), text)) {
        std::fprintf(stderr, "lumivex-xscreensaver-enable: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s %s with \"%s\" in its list; choose Lumivex in xscreensaver-settings\n",
                created ? "Wrote" : "Updated", path.c_str(), kCommand);
    return 0;
}
