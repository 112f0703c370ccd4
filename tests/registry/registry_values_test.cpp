// The registry calls: keys, handles, value kinds and the caller's buffer sizes.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "registry_fixture.h"

namespace {

const char* const kOwnKey = "Software\\Velt\\Lumivex Saver";

TEST_F(RegistryTest, EveryValueKindRoundTrips) {
    HKEY key = create(kOwnKey);
    const std::string binary("\x00\x01\xFE\xFF\n\"\\", 7);
    const std::string odd_text = "C:\\Music\\\"Best\" of \xE9t\xE9.m3u";
    ASSERT_EQ(set_dword(key, "Resolution", 0xDEADBEEF), ERROR_SUCCESS);
    ASSERT_EQ(set_string(key, "Playlist", odd_text), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY,
                             reinterpret_cast<const std::uint8_t*>(binary.data()), 7),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Nothing", 0, REG_NONE, nullptr, 0), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ,
                             reinterpret_cast<const std::uint8_t*>("%HOME%"), 7),
              ERROR_SUCCESS);
    ASSERT_EQ(set_string(key, nullptr, "default"), ERROR_SUCCESS);
    // A string without its NUL keeps exactly its bytes; whatever follows a NUL is dropped.
    ASSERT_EQ(
        RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>("abcd"), 4),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Tail", 0, REG_SZ,
                             reinterpret_cast<const std::uint8_t*>("ab\0junk"), 8),
              ERROR_SUCCESS);
    RegCloseKey(key);

    key = open(kOwnKey);
    EXPECT_EQ(query(key, "Resolution"), std::make_pair(REG_DWORD, std::string("\xEF\xBE\xAD\xDE")));
    EXPECT_EQ(query_string(key, "Playlist"), odd_text);
    EXPECT_EQ(query(key, "Blob"), std::make_pair(REG_BINARY, binary));
    EXPECT_EQ(query(key, "Nothing"), std::make_pair(REG_NONE, std::string()));
    EXPECT_EQ(query(key, "Expand"), std::make_pair(REG_EXPAND_SZ, std::string("%HOME%", 7)));
    EXPECT_EQ(query_string(key, ""), "default");
    EXPECT_EQ(query(key, "Bare"), std::make_pair(REG_SZ, std::string("abcd")));
    EXPECT_EQ(query(key, "Tail"), std::make_pair(REG_SZ, std::string("ab", 3)));
    RegCloseKey(key);

    EXPECT_NE(contents().find("\"Resolution\"=dword:deadbeef\n"), std::string::npos);
    EXPECT_NE(contents().find("@=\"default\"\n"), std::string::npos);
}

TEST_F(RegistryTest, FourByteBufferTakesExactlyFourBytes) {
    plant(
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex "
        "Saver]\n\"Binary\"=hex:2c,01,00,00\n\"Text\"=\"abc\"\n\"Five\"=hex:01,02,03,04,05\n"
        "\"Long text\"=\"abcd\"\n\"Three\"=hex:07,00,00\n");
    HKEY key = open(kOwnKey);
    EXPECT_EQ(query_number(key, "Binary"), 300u);
    EXPECT_EQ(query_number(key, "Text"), 0x00636261u);

    DWORD v = 0x55555555, size = 4, type = 0;
    EXPECT_EQ(
        RegQueryValueExA(key, "Five", nullptr, &type, reinterpret_cast<std::uint8_t*>(&v), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(v, 0x55555555u) << "a failed query leaves the buffer alone";
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Long text", nullptr, nullptr,
                               reinterpret_cast<std::uint8_t*>(&v), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    // A smaller value fits and says how much it filled, as on Windows.
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Three", nullptr, nullptr, reinterpret_cast<std::uint8_t*>(&v),
                               &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, LongStringIsReadWhole) {
    const std::string path = "/home/user/" + std::string(189, 'm');
    ASSERT_EQ(path.size(), 200u);
    HKEY key = create(kOwnKey);
    ASSERT_EQ(set_string(key, "Playlist", path), ERROR_SUCCESS);

    char buf[512];
    DWORD size = sizeof buf, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Playlist", nullptr, &type,
                               reinterpret_cast<std::uint8_t*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 201u);
    EXPECT_EQ(std::string(buf), path);

    size = 50;
    EXPECT_EQ(RegQueryValueExA(key, "Playlist", nullptr, nullptr,
                               reinterpret_cast<std::uint8_t*>(buf), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 201u);
    RegCloseKey(key);
}

TEST_F(RegistryTest, QueryWithoutBufferGivesSizeAndType) {
    HKEY key = create(kOwnKey);
    set_string(key, "Playlist", "abc");
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Playlist", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(RegQueryValueExA(key, "Playlist", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    std::uint8_t buf[8];
    EXPECT_EQ(RegQueryValueExA(key, "Playlist", nullptr, nullptr, buf, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreCase) {
    HKEY key = create(kOwnKey);
    set_dword(key, "Show Background", 1);
    RegCloseKey(key);

    key = open("SOFTWARE\\velt\\LUMIVEX SAVER");
    EXPECT_EQ(query_number(key, "show background"), 1u);
    set_dword(key, "SHOW BACKGROUND", 0);
    RegCloseKey(key);

    const std::string text = contents();
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]"), text.rfind('['))
        << text;
    EXPECT_NE(text.find("\"Show Background\"=dword:00000000"), std::string::npos) << text;
    EXPECT_EQ(text.find("SHOW"), std::string::npos) << text;
}

TEST_F(RegistryTest, CreatingOpensParentsAndReportsWhatHappened) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_ALL_ACCESS, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);

    HKEY velt = open("Software\\Velt");
    HKEY saver = nullptr;
    ASSERT_EQ(RegOpenKeyExA(velt, "Lumivex Saver", 0, KEY_READ, &saver), ERROR_SUCCESS);
    HKEY child = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(saver, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_SUCCESS);
    set_dword(child, "n", 7);
    RegCloseKey(child);
    EXPECT_EQ(query_number(open("Software\\Velt\\Lumivex Saver\\Child"), "n"), 7u);
    RegCloseKey(saver);
    RegCloseKey(velt);
}

TEST_F(RegistryTest, BadHandlesAndRightsAreRefused) {
    HKEY key = create(kOwnKey);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(set_dword(key, "x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(query_number(key, "x"), std::nullopt);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    HKEY result = nullptr;
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(0x1234), "x", 0, KEY_READ, &result),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOwnKey, 0, KEY_READ, &result), ERROR_SUCCESS);
    EXPECT_EQ(set_dword(result, "x", 1), ERROR_ACCESS_DENIED);
    RegCloseKey(result);

    key = create(kOwnKey);
    EXPECT_EQ(set_dword(key, "line\nbreak", 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(RegistryTest, BatchWritesAllValuesOrNone) {
    const std::string original =
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n; end of A\n\n[HKEY_CURRENT_USER\\B]\n";
    plant(original);
    HKEY key = open("A");
    std::vector<RegistryValue> values = {{"x", REG_DWORD, std::string("\x02\0\0\0", 4)},
                                         {"line\nbreak", REG_DWORD, std::string(4, '\0')}};
    EXPECT_EQ(set_registry_values(key, nullptr, values), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(contents(), original);

    values[1] = {"y", REG_SZ, std::string("text\0tail", 9)};
    values.push_back({"z", REG_BINARY, "\x01"});
    ASSERT_EQ(set_registry_values(key, nullptr, values), ERROR_SUCCESS);
    ASSERT_EQ(set_registry_values(key, "C\\D", values), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string written = "\"x\"=dword:00000002\n\"y\"=\"text\"\n\"z\"=hex:01\n";
    EXPECT_EQ(contents(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n" + written +
                              "; end of A\n\n[HKEY_CURRENT_USER\\B]\n\n"
                              "[HKEY_CURRENT_USER\\A\\C\\D]\n" +
                              written);

    HKEY read_only = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &read_only), ERROR_SUCCESS);
    EXPECT_EQ(set_registry_values(read_only, nullptr, values), ERROR_ACCESS_DENIED);
    RegCloseKey(read_only);
}

TEST_F(RegistryTest, FileLocationFollowsTheEnvironment) {
    EXPECT_EQ(std::string(registry_file_path()), file().string());
    const char* home = std::getenv("HOME");
    const std::string saved_home = home ? home : "";
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    ::setenv("HOME", root_.c_str(), 1);
    EXPECT_EQ(std::string(registry_file_path()), (root_ / ".config/lumivex/registry.reg").string());
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    // Without HOME the account's home folder is used.
    EXPECT_TRUE(std::string(registry_file_path()).ends_with("/.config/lumivex/registry.reg"));
    if (home) ::setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
