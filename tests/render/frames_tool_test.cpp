// lumivex-frames: writes the frames asked for, refuses bad command lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

int run(const std::string& args) {
    const std::string command =
        std::string(LUMIVEX_BINARY_DIR) + "/lumivex-frames " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FramesTool, WritesEveryKthFrame) {
    const fs::path out = fs::temp_directory_path() / "lumivex_frames_test";
    fs::remove_all(out);
    ASSERT_EQ(run("--out " + out.string() + " --frames 5 --every 2 --seed 7 --background 4"), 0);
    EXPECT_TRUE(fs::exists(out / "frame-00000.png"));
    EXPECT_FALSE(fs::exists(out / "frame-00001.png"));
    EXPECT_TRUE(fs::exists(out / "frame-00002.png"));
    EXPECT_TRUE(fs::exists(out / "frame-00004.png"));
    EXPECT_GT(fs::file_size(out / "frame-00004.png"), 100u);
    // Reopening midway, as after a failed password, goes on writing frames.
    ASSERT_EQ(run("--out " + out.string() + " --frames 4 --reopen-at 2 --background 7"), 0);
    EXPECT_TRUE(fs::exists(out / "frame-00003.png"));
    fs::remove_all(out);
}

TEST(FramesTool, RefusesBadCommandLines) {
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 0"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 2x"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 2 --background 9"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 2 --resolution 3"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 2 --colour red"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames"), 2);
    EXPECT_EQ(run("--out /tmp/x --frames 2 --reopen-at x"), 2);
}

}  // namespace
