// The registry file itself: what a write keeps, and files that are damaged, foreign or missing.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <functional>
#include <random>
#include <set>

#include "registry_fixture.h"

namespace {

const char* const kOwnKey = "Software\\Velt\\Lumivex Saver";

const std::string kHandWritten =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; Written by hand\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\n"
    "\"Keep\"=\"this\"\n"
    "\"Wide\"=hex:01,02,\\\n"
    "  03\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Velt]\n"
    "\"Foreign\"=dword:00000001\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
    "\"Show Background\"=dword:1\n"
    "\"Playlist\"=\"/music/list.m3u\"\n"
    "this line means nothing\n"
    "\"Weird\"=unknown:stuff\n"
    "; about the next key\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers]\n"
    "\"Password Delay\"=dword:0000000a\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(RegistryTest, WritingOneValueKeepsEverythingElse) {
    plant(kHandWritten);
    HKEY key = open(kOwnKey);
    ASSERT_EQ(set_dword(key, "Show Background", 0), ERROR_SUCCESS);
    std::string expected = replaced(kHandWritten, "\"Show Background\"=dword:1\n",
                                    "\"Show Background\"=dword:00000000\n");
    EXPECT_EQ(contents(), expected);

    ASSERT_EQ(set_dword(key, "Resolution", 2), ERROR_SUCCESS);
    expected = replaced(expected, "\"Playlist\"=\"/music/list.m3u\"\n",
                        "\"Playlist\"=\"/music/list.m3u\"\n\"Resolution\"=dword:00000002\n");
    EXPECT_EQ(contents(), expected);
    RegCloseKey(key);

    RegCloseKey(create("Software\\Velt\\Lumivex Saver\\New"));
    expected += "\n[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver\\New]\n";
    EXPECT_EQ(contents(), expected);

    key = open("Software\\Other");
    EXPECT_EQ(query_string(key, "Keep"), "this");
    EXPECT_EQ(query(key, "Wide"), std::make_pair(REG_BINARY, std::string("\x01\x02\x03")));
    RegCloseKey(key);
    key = open("Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers");
    EXPECT_EQ(query_number(key, "Password Delay"), 10u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, LineBreaksOfTheFileAreKept) {
    const std::string original = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1";
    plant(original);
    HKEY key = open("A");
    ASSERT_EQ(set_dword(key, "y", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(contents(), original + "\r\n\"y\"=dword:00000002\r\n");
}

TEST_F(RegistryTest, ByteOrderMarkBeforeTheFirstKeyIsDropped) {
    const std::string key_line = "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n";
    plant("\xEF\xBB\xBF" + key_line + "\"Resolution\"=dword:00000002\r\n");
    HKEY key = open(kOwnKey);
    ASSERT_EQ(set_dword(key, "Show Trails", 0), ERROR_SUCCESS);
    ASSERT_EQ(set_dword(key, "Resolution", 1), ERROR_SUCCESS);
    EXPECT_EQ(query_number(key, "Resolution"), 1u);
    RegCloseKey(key);
    EXPECT_EQ(contents(),
              "Windows Registry Editor Version 5.00\r\n\r\n" + key_line +
                  "\"Resolution\"=dword:00000001\r\n\"Show Trails\"=dword:00000000\r\n");

    // Where an older write left the mark below its header, the key reads again.
    plant("Windows Registry Editor Version 5.00\r\n\r\n\xEF\xBB\xBF" + key_line +
          "\"Resolution\"=dword:00000002\r\n");
    key = open(kOwnKey);
    EXPECT_EQ(query_number(key, "Resolution"), 2u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, LineCutBetweenCarriageReturnAndLineFeedIsKept) {
    plant("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r");
    HKEY key = open("A");
    ASSERT_EQ(set_dword(key, "y", 2), ERROR_SUCCESS);
    EXPECT_EQ(query_number(key, "x"), 1u);
    RegCloseKey(key);
    EXPECT_EQ(
        contents(),
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r\n\"y\"=dword:00000002\r\n");

    // A line an older write left with CR CR LF reads again and gets a plain CR LF.
    plant("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r\r\n");
    key = open("A");
    EXPECT_EQ(query_number(key, "x"), 1u);
    ASSERT_EQ(set_dword(key, "y", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(
        contents(),
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:1\r\n\"y\"=dword:00000002\r\n");
}

TEST_F(RegistryTest, MissingFoldersAreCreated) {
    root_ /= "not/there/yet";
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(std::filesystem::exists(root_)) << "reading creates nothing";

    key = create(kOwnKey);
    ASSERT_EQ(set_dword(key, "Resolution", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(contents(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
              "\"Resolution\"=dword:00000001\n");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"registry.reg", "registry.reg.lock"}))
        << "no temporary file is left behind";
}

TEST_F(RegistryTest, ReplacingTheFileKeepsItsModeAndLinks) {
    std::filesystem::create_directories(folder());
    const auto real = root_ / "real.reg";
    std::ofstream(real) << kHandWritten;
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, file());
    struct stat before {};
    ASSERT_EQ(::stat(real.c_str(), &before), 0);

    HKEY key = open(kOwnKey);
    ASSERT_EQ(set_dword(key, "Resolution", 1), ERROR_SUCCESS);
    RegCloseKey(key);

    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    struct stat after {};
    ASSERT_EQ(::stat(real.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "written beside and renamed over, never in place";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_NE(contents().find("\"Resolution\"=dword:00000001"), std::string::npos);
}

TEST_F(RegistryTest, DeletionLinesAreHonouredAndKept) {
    const std::string original =
        "REGEDIT4\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
        "\"Playlist\"=\"/a.m3u\"\n\"Resolution\"=dword:00000001\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n\"Resolution\"=-\n\n"
        "[HKEY_CURRENT_USER\\Software\\Old\\Sub]\n\"x\"=dword:1\n\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\n";
    plant(original);
    HKEY key = open(kOwnKey);
    EXPECT_EQ(query_string(key, "Playlist"), "/a.m3u");
    EXPECT_EQ(query_number(key, "Resolution"), std::nullopt);
    HKEY old = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Old\\Sub", 0, KEY_READ, &old),
              ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(set_dword(key, "Resolution", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    // The deletion stays as it was written; the new value follows it.
    std::string expected = replaced(original, "\"Resolution\"=-\n",
                                    "\"Resolution\"=-\n\"Resolution\"=dword:00000002\n");
    EXPECT_EQ(contents(), expected);

    old = create("Software\\Old\\Sub");
    ASSERT_EQ(set_dword(old, "x", 5), ERROR_SUCCESS);
    EXPECT_EQ(query_number(old, "x"), 5u);
    RegCloseKey(old);
    expected += "\n[HKEY_CURRENT_USER\\Software\\Old\\Sub]\n\"x\"=dword:00000005\n";
    EXPECT_EQ(contents(), expected);
}

TEST_F(RegistryTest, Utf16FilesAreReadAndWrittenBackAsText) {
    const std::u16string text =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n"
        u"\"Playlist\"=\"C:\\\\Musik\\\\Gr\u00fc\u00dfe.m3u\"\r\n"
        u"\"Resolution\"=dword:00000002\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    plant(bytes);
    HKEY key = open(kOwnKey);
    EXPECT_EQ(query_string(key, "Playlist"),
              "C:\\Musik\\Gr\xC3\xBC\xC3\x9F"
              "e.m3u");
    EXPECT_EQ(query_number(key, "Resolution"), 2u);
    ASSERT_EQ(set_dword(key, "Show Trails", 0), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(contents(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\r\n"
              "\"Playlist\"=\"C:\\\\Musik\\\\Gr\xC3\xBC\xC3\x9F"
              "e.m3u\"\r\n"
              "\"Resolution\"=dword:00000002\r\n"
              "\"Show Trails\"=dword:00000000\r\n");
}

// Noise of several kinds, with and without a readable key in the middle: reading never fails
// hard, and a write keeps every byte of it.
TEST_F(RegistryTest, NoiseIsSurvivedAndKept) {
    std::mt19937 rng(4711);
    auto noise = [&](std::size_t n, std::string_view alphabet) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i) {
            s += alphabet.empty() ? static_cast<char>(rng() & 0xFF)
                                  : alphabet[rng() % alphabet.size()];
        }
        return s;
    };
    const std::string section =
        "\n[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n\"Resolution\"=dword:2\n";
    const std::string files[] = {
        noise(4096, ""),
        noise(4096, "[]\"@=-\\:hex(),dword0123456789abcdef;\r\n \t"),
        std::string(1000, '\0'),
        "Windows Registry Editor Version 5.00\n" + noise(500, "") + section + noise(300, ""),
        "\xFF\xFE" + noise(2001, ""),
    };
    for (const std::string& original : files) {
        plant(original);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            query_number(key, "Resolution");
            query_string(key, "Playlist");
            RegCloseKey(key);
        }
        key = create(kOwnKey);
        ASSERT_EQ(set_dword(key, "Small Star Number", 300), ERROR_SUCCESS);
        EXPECT_EQ(query_number(key, "Small Star Number"), 300u);
        RegCloseKey(key);
        if (!original.starts_with("\xFF\xFE")) {
            // Take out the one line the write added; the noise must be there untouched.
            std::string text = contents();
            const std::string added = "\"Small Star Number\"=dword:0000012c\n";
            ASSERT_NE(text.find(added), std::string::npos);
            text.erase(text.find(added), added.size());
            EXPECT_NE(text.find(original), std::string::npos)
                << "noise " << (&original - files) << " was changed";
        }
    }
    // The key in the middle of the noise was readable, and still is.
    plant(files[3]);
    HKEY key = open(kOwnKey);
    EXPECT_EQ(query_number(key, "Resolution"), 2u);
    RegCloseKey(key);
}

// A file cut off anywhere: complete lines read as they were, a cut string is not taken, a cut hex
// value is at most read short (the file's last line may simply lack its line break), and a write
// keeps what was there.
TEST_F(RegistryTest, TruncatedFilesReadWhatIsComplete) {
    const std::string full =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
        "\"Playlist\"=\"/music/a long list.m3u\"\n"
        "\"Image\"=hex:00,11,22,33,44,55,66,77,88,99,aa,bb,cc,dd,ee,ff,00,11,22,33,44,55,66,\\\n"
        "  77,88,99\n"
        "\"Resolution\"=dword:00000002\n";
    plant(full);
    HKEY reference_key = open(kOwnKey);
    auto playlist = query(reference_key, "Playlist");
    auto image = query(reference_key, "Image");
    RegCloseKey(reference_key);
    ASSERT_TRUE(playlist && image);

    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        const std::string prefix = full.substr(0, cut);
        plant(prefix);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            continue;
        auto p = query(key, "Playlist");
        auto i = query(key, "Image");
        EXPECT_EQ(p.has_value(), prefix.find("m3u\"") != std::string::npos) << "cut at " << cut;
        EXPECT_TRUE(!p || p == playlist) << "cut at " << cut;
        if (prefix.find("  77,88,99") != std::string::npos) {
            EXPECT_EQ(i, image) << "cut at " << cut;
        } else if (i) {
            EXPECT_EQ(i->first, REG_BINARY);
            EXPECT_TRUE(image->second.starts_with(i->second)) << "cut at " << cut;
        }
        if (cut % 8 == 0) {
            ASSERT_EQ(set_dword(key, "Show Trails", 1), ERROR_SUCCESS);
            std::string text = contents();
            const std::string added = "\"Show Trails\"=dword:00000001\n";
            ASSERT_NE(text.find(added), std::string::npos);
            text.erase(text.find(added), added.size());
            EXPECT_NE(text.find(prefix), std::string::npos) << "cut at " << cut;
        }
        RegCloseKey(key);
    }
}

std::set<std::string> names_in(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST_F(RegistryTest, TemporaryFilesOfKilledWritersAreRemoved) {
    plant(kHandWritten);
    // Left by writers killed before their rename, in both namings the store has used.
    for (const char* name :
         {"registry.reg.Xy7pQ2.tmp", "registry.reg.Ab3dE9", "registry.reg.q8ZZ0a"})
        std::ofstream(folder() / name) << "half a file";
    // A person's copies stay, and so does the file of a writer still at work (it holds a lock).
    for (const char* name : {"registry.reg.backup", "registry.reg.202401", "registry.reg.old"})
        std::ofstream(folder() / name) << kHandWritten;
    const auto busy = folder() / "registry.reg.Lv1ve2.tmp";
    std::ofstream(busy) << "being written";
    int busy_fd = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(busy_fd, LOCK_EX), 0);

    HKEY key = open(kOwnKey);
    ASSERT_EQ(set_dword(key, "Resolution", 1), ERROR_SUCCESS);
    EXPECT_EQ(names_in(folder()),
              (std::set<std::string>{"registry.reg", "registry.reg.lock", "registry.reg.backup",
                                     "registry.reg.202401", "registry.reg.old",
                                     "registry.reg.Lv1ve2.tmp"}));
    ::close(busy_fd);
    ASSERT_EQ(set_dword(key, "Resolution", 2), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(busy));
    EXPECT_EQ(std::filesystem::file_size(folder() / "registry.reg.backup"), kHandWritten.size());
}

// Bytes this process has read from files so far, or nothing without /proc.
std::optional<std::uintmax_t> bytes_read() {
    std::ifstream io("/proc/self/io");
    std::string field;
    std::uintmax_t value = 0;
    while (io >> field >> value) {
        if (field == "rchar:") return value;
    }
    return std::nullopt;
}

void make_old(const std::filesystem::path& file) {
    const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(RegistryTest, UnchangedFileIsReadOnceAndChangesAreStillSeen) {
    std::string text =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n\"Resolution\"=dword:00000001\n";
    while (text.size() < (1u << 20)) {
        text += "\n[HKEY_CURRENT_USER\\Software\\Filler\\Key " + std::to_string(text.size()) +
                "]\n\"Value\"=\"some text\"\n";
    }
    plant(text);
    make_old(file());
    const auto before = bytes_read();
    if (!before) GTEST_SKIP() << "no /proc/self/io to count reads with";
    HKEY key = open(kOwnKey);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(query_number(key, "Resolution"), 1u);
    EXPECT_LT(*bytes_read() - *before, 2 * text.size()) << "the file was read more than once";

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(set_dword(key, "Resolution", 2) == ERROR_SUCCESS ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(query_number(key, "Resolution"), 2u) << "another process's write";

    // An edit in place that keeps the size.
    make_old(file());
    EXPECT_EQ(query_number(key, "Resolution"), 2u);
    const std::size_t at = contents().find("dword:00000002");
    ASSERT_NE(at, std::string::npos);
    {
        std::fstream edit(file(), std::ios::in | std::ios::out | std::ios::binary);
        edit.seekp(static_cast<std::streamoff>(at));
        edit << "dword:00000003";
    }
    EXPECT_EQ(query_number(key, "Resolution"), 3u) << "an edit in place";
    RegCloseKey(key);
}

// Permissions do not bind root, so as root the check runs in a child that drops to "nobody".
void as_ordinary_user(const std::filesystem::path& tree, const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(::chown(tree.c_str(), kNobody, kNobody), 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tree))
        ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
        body();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the check as nobody failed";
}

TEST_F(RegistryTest, UnreadableFileIsNeverOverwritten) {
    plant(kHandWritten);
    as_ordinary_user(root_, [&] {
        ::chmod(file().c_str(), 0);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &key),
                  ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_ACCESS_DENIED);
        ::chmod(file().c_str(), 0600);
        EXPECT_EQ(contents(), kHandWritten);

        // A read-only folder still opens existing keys; only writes fail, and say so.
        ::chmod(folder().c_str(), 0500);
        key = create(kOwnKey);
        EXPECT_EQ(query_number(key, "Show Background"), 1u);
        EXPECT_EQ(set_dword(key, "Show Background", 0), ERROR_ACCESS_DENIED);
        RegCloseKey(key);
        ::chmod(folder().c_str(), 0700);
        EXPECT_EQ(contents(), kHandWritten);
    });
}

TEST_F(RegistryTest, FilesThatCannotBeReadAreLeftAlone) {
    HKEY key = nullptr;
    auto expect_refused = [&](const char* what) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &key),
                  ERROR_FILE_NOT_FOUND)
            << what;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_ACCESS_DENIED)
            << what;
    };
    std::filesystem::create_directories(file());
    expect_refused("a folder");
    EXPECT_TRUE(std::filesystem::is_directory(file()));

    std::filesystem::remove(file());
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    expect_refused("a pipe, which must not block either");

    std::filesystem::remove(file());
    plant(kHandWritten);
    const auto huge = std::uintmax_t{65} * 1024 * 1024;
    std::filesystem::resize_file(file(), huge);  // sparse: costs no disk
    expect_refused("a file far too large for settings");
    EXPECT_EQ(std::filesystem::file_size(file()), huge);
}

}  // namespace
