// lumivex-frames: writes the frames asked for, refuses bad command lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// Runs the tool with its own settings folder, so a user's settings never change the result.
int run(const std::string& args, const fs::path& config = fs::temp_directory_path() /
                                                           "lumivex_frames_no_settings") {
    const std::string command = "XDG_CONFIG_HOME='" + config.string() + "' " +
                                std::string(LUMIVEX_BINARY_DIR) + "/lumivex-frames " + args +
                                " >/dev/null 2>&1";
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

TEST(FramesTool, ReadsTheSettingsAsTheSaverDoes) {
    const fs::path base = fs::temp_directory_path() / "lumivex_frames_settings";
    fs::remove_all(base);
    fs::create_directories(base / "config" / "lumivex");
    std::FILE* f = std::fopen((base / "config" / "lumivex" / "registry.reg").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
        "\"Resolution\"=dword:00000001\n",
        f);
    std::fclose(f);
    ASSERT_EQ(run("--out " + (base / "out").string() + " --frames 1", base / "config"), 0);
    // An 800x600 PNG: the width and height are the big-endian words at bytes 16 and 20.
    std::FILE* png = std::fopen((base / "out" / "frame-00000.png").c_str(), "rb");
    ASSERT_NE(png, nullptr);
    unsigned char header[24] = {};
    ASSERT_EQ(std::fread(header, 1, sizeof header, png), sizeof header);
    std::fclose(png);
    EXPECT_EQ(header[18] << 8 | header[19], 800);
    EXPECT_EQ(header[22] << 8 | header[23], 600);
    fs::remove_all(base);
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
