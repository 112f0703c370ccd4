// lumivex-decode: the exit status tells what went wrong, whatever the input is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "mpeg_test_util.h"

using namespace mpeg_test;

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string messages;
};

// Runs the tool; `timeout` only ends a run that would otherwise never end.
ToolRun run(const std::string& input, const std::string& output) {
    const std::string command = "timeout 120 " + std::string(LUMIVEX_BINARY_DIR) +
                                "/lumivex-decode '" + input + "' '" + output + "' 2>&1";
    ToolRun r;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) r.messages += buffer;
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

fs::path work_folder() {
    const fs::path dir =
        fs::temp_directory_path() / ("lumivex-decode-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(DecodeTool, AnOutputThatCannotBeCreatedHasItsOwnStatus) {
    const fs::path dir = work_folder();
    TempFile song(frame(HeaderFields{}));
    const ToolRun r = run(song.path(), (dir / "no such folder" / "out.wav").string());
    EXPECT_EQ(r.status, 3) << r.messages;
    EXPECT_NE(r.messages.find("cannot write"), std::string::npos) << r.messages;
    EXPECT_EQ(r.messages.find("nothing could be decoded"), std::string::npos) << r.messages;
    fs::remove_all(dir);
}

TEST(DecodeTool, AnInputThatIsNotARegularFileEndsWithAnError) {
    const fs::path dir = work_folder();
    const std::string fifo = (dir / "fifo.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& input : {std::string("/dev/zero"), fifo, dir.string()}) {
        const ToolRun r = run(input, (dir / "out.raw").string());
        EXPECT_EQ(r.status, 1) << input << ": " << r.messages;
        EXPECT_FALSE(fs::exists(dir / "out.raw")) << input;
    }
    fs::remove_all(dir);
}
