// Settings in the registry file: defaults, numbers of any 4-byte type, and writes that keep the rest.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "player/player_state.h"
#include "render/render_state.h"
#include "saver/hack_mode.h"
#include "saver/saver_settings.h"

namespace fs = std::filesystem;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("lumivex-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "lumivex");
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        reset_player_state();
    }
    void TearDown() override { fs::remove_all(dir); }

    void write_file(const std::string& text) {
        std::ofstream(dir / "lumivex" / "registry.reg", std::ios::binary) << text;
    }
    std::string read_file() {
        std::ifstream in(dir / "lumivex" / "registry.reg", std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // What the entry point does before a mode runs.
    SaverSettings load() {
        SaverSettings s;
        s.read_system_values();
        store_default_saver_values(s);
        s.read_saver_values();
        return s;
    }

    fs::path dir;
};

void expect_defaults(const SaverSettings& s) {
    EXPECT_EQ(s.passwordDelay, 5);
    EXPECT_EQ(s.mouseThreshold, 200);
    EXPECT_EQ(s.backgroundNumber, 7);
    EXPECT_EQ(s.largeStarNumber, 4);
    EXPECT_EQ(s.smallStarNumber, 300);
    EXPECT_EQ(s.smallStarSpeed, 2);
    EXPECT_EQ(s.showTrails, 1);
    EXPECT_EQ(s.moveRandomly, 1);
    EXPECT_EQ(s.showBackground, 1);
    EXPECT_EQ(s.resolution, 0);
    EXPECT_EQ(s.playMusic, 0);
    EXPECT_EQ(s.repeatPlaylist, 0);
    EXPECT_EQ(s.randomBackground, 0);
    EXPECT_EQ(s.saverWindow, nullptr);
    EXPECT_EQ(s.closeRequested, 0);
    EXPECT_EQ(s.timerId, 0u);
}

TEST_F(Settings, DefaultsWithNoFileEmptyKeyOrGarbage) {
    expect_defaults(load());
    fs::remove_all(dir / "lumivex");
    expect_defaults(load());  // no folder at all
    fs::create_directories(dir / "lumivex");
    write_file("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n");
    expect_defaults(load());
    write_file(std::string("\x00\xff\xfe garbage [[[ \"=dword:zz\n\x01\x02", 20));
    expect_defaults(load());
    EXPECT_EQ(player_state().playlistPath, "");
}

TEST_F(Settings, NumbersOfAnyFourByteTypeAreTakenOthersIgnored) {
    write_file(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
        "\"Background Number\"=dword:00000002\n"
        "\"Small Star Number\"=hex:90,01,00,00\n"       // REG_BINARY of 4 bytes: 400
        "\"Large Star Number\"=\"abc\"\n"               // REG_SZ of 4 bytes with its NUL
        "\"Small Star Speed\"=hex:01,00\n"              // 2 bytes: ignored
        "\"Resolution\"=hex:02,00,00,00,00\n"           // 5 bytes: ignored
        "\"Show Background\"=dword:00000000\n"
        "\"RepeatMP3\"=dword:00000001\n"
        "\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n"
        "\"Password Delay\"=dword:0000000f\n");
    SaverSettings s = load();
    EXPECT_EQ(s.backgroundNumber, 2);
    EXPECT_EQ(s.smallStarNumber, 400);
    EXPECT_EQ(s.largeStarNumber, 'a' | 'b' << 8 | 'c' << 16);
    EXPECT_EQ(s.smallStarSpeed, 2);
    EXPECT_EQ(s.resolution, 0);
    EXPECT_EQ(s.showBackground, 0);
    EXPECT_EQ(s.repeatPlaylist, 1);
    EXPECT_EQ(player_state().repeat, 1);
    EXPECT_EQ(s.passwordDelay, 15);
}

TEST_F(Settings, LongPlaylistPathIsReadWhole) {
    std::string path = "/home/someone/" + std::string(180, 'm') + "/list.m3u";
    write_file(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
        "\"Playlist\"=\"" + path + "\"\n");
    load();
    EXPECT_EQ(player_state().playlistPath, path);
}

TEST_F(Settings, WritingKeepsPlaylistAndEveryUnrelatedKey) {
    const std::string original =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "; a comment someone wrote\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
        "\"Keep\"=\"me\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n"
        "\"Playlist\"=\"C:\\\\Music\\\\list.m3u\"\r\n"
        "\"Unknown\"=dword:00000063\r\n"
        "this line means nothing\r\n";
    write_file(original);
    SaverSettings s = load();
    s.backgroundNumber = 3;
    player_state().repeat = 1;  // the dialog's copy is what gets written
    s.write_saver_values();

    std::string now = read_file();
    EXPECT_NE(now.find("\"Keep\"=\"me\""), std::string::npos);
    EXPECT_NE(now.find("; a comment someone wrote"), std::string::npos);
    EXPECT_NE(now.find("this line means nothing"), std::string::npos);
    EXPECT_NE(now.find("\"Unknown\"=dword:00000063"), std::string::npos);
    EXPECT_NE(now.find("\"Playlist\"=\"C:\\\\Music\\\\list.m3u\""), std::string::npos);

    reset_player_state();
    SaverSettings again = load();
    EXPECT_EQ(again.backgroundNumber, 3);
    EXPECT_EQ(again.repeatPlaylist, 1);
    EXPECT_EQ(again.largeStarNumber, 4);
    EXPECT_EQ(player_state().playlistPath, "C:\\Music\\list.m3u");
}

TEST_F(Settings, WritingTheValuesIsOneRewrite) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    // The first save, which also creates the key, and a later one.
    for (const std::string& original :
         {header + "[HKEY_CURRENT_USER\\Software\\Other]\n",
          header + "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
                   "\"Playlist\"=\"/music/list.m3u\"\n\"Resolution\"=dword:00000001\n"}) {
        write_file(original);
        SaverSettings s = load();
        s.resolution = 2;
        s.smallStarNumber = 100;
        // Each replacement of the file is one rename onto its name. The moves away from the
        // temporary names are watched too: the kernel merges repeated events that follow each
        // other.
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(inotify_add_watch(watch, (dir / "lumivex").c_str(), IN_MOVED_FROM | IN_MOVED_TO),
                  0);
        s.write_saver_values();
        int replacements = 0;
        alignas(inotify_event) char events[64 * 1024];
        for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 &&
                    std::string(event->name) == "registry.reg")
                    ++replacements;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        ::close(watch);
        EXPECT_EQ(replacements, 1) << "all eleven values in one atomic rewrite";

        SaverSettings again = load();
        EXPECT_EQ(again.resolution, 2);
        EXPECT_EQ(again.smallStarNumber, 100);
        EXPECT_EQ(again.largeStarNumber, 4);
    }
    EXPECT_EQ(player_state().playlistPath, "/music/list.m3u");
}

bool end_at_once() { return true; }

TEST_F(Settings, HackOptionsHoldForTheRunOnlyAndAreNeverWritten) {
    const std::string stored =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n"
        "\"Background Number\"=dword:00000002\r\n\"Small Star Speed\"=dword:00000001\r\n"
        "\"Show Trails\"=dword:00000001\r\n\"Random\"=dword:00000001\r\n";
    write_file(stored);
    reset_render_state();
    HackOptions o;
    o.root = true;
    o.background = 5;
    o.small_stars = 100;
    o.trails = false;
    o.resolution = 1;
    EXPECT_EQ(run_hack(o, end_at_once), 0);
    const RenderState& r = render_state();
    EXPECT_EQ(r.background_number, 5);
    EXPECT_EQ(r.random_background, 0);  // a named background is not replaced by a random one
    EXPECT_EQ(r.small_star_number, 100);
    EXPECT_EQ(r.show_trails, 0);
    EXPECT_EQ(r.resolution, 1);
    EXPECT_EQ(r.small_star_speed, 1);  // not named: the stored value
    EXPECT_EQ(read_file(), stored);
}

}  // namespace
