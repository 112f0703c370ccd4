// The .reg line syntax and how a file's lines add up to keys and values.
#include <gtest/gtest.h>

#include "platform/registry/reg_document.h"

namespace {

using namespace lumivex::reg;

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

Hive hive_of(std::string_view text) { return replay(parse_document(text)); }

const Value* find(const Hive& hive, const std::string& key, const std::string& name) {
    auto k = hive.find(key);
    if (k == hive.end()) return nullptr;
    auto v = k->second.values.find(fold(name));
    return v == k->second.values.end() ? nullptr : &v->second.value;
}

TEST(RegSyntax, ValueLinesOfEveryKind) {
    struct Case {
        const char* line;
        std::string name;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {R"("Playlist"="C:\\Music\\a \"b\".m3u")", "Playlist", REG_SZ,
         std::string("C:\\Music\\a \"b\".m3u") + '\0'},
        {R"(@="default")", "", REG_SZ, std::string("default") + '\0'},
        {R"("Empty"="")", "Empty", REG_SZ, std::string(1, '\0')},
        {R"("Hand written"="C:\dir\x")", "Hand written", REG_SZ, std::string("C:\\dir\\x") + '\0'},
        {"\"Resolution\"=dword:0000000a", "Resolution", REG_DWORD, bytes({10, 0, 0, 0})},
        {"\"N\" = DWORD:FFFFFFFE  ", "N", REG_DWORD, bytes({0xfe, 0xff, 0xff, 0xff})},
        {"\"B\"=hex:01,02,ff", "B", REG_BINARY, bytes({1, 2, 0xff})},
        {"\"B\"=hex: 01 , 0a", "B", REG_BINARY, bytes({1, 10})},
        {"\"E\"=hex(2):41,00", "E", REG_EXPAND_SZ, bytes({0x41, 0})},
        {"\"M\"=hex(7):", "M", 7, ""},
        {"\"Q\"=hex(b):01,00,00,00,00,00,00,00", "Q", 11, bytes({1, 0, 0, 0, 0, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        auto line = parse_value_line(c.line);
        ASSERT_TRUE(line) << c.line;
        EXPECT_FALSE(line->remove);
        EXPECT_EQ(line->name, c.name) << c.line;
        EXPECT_EQ(line->value.type, c.type) << c.line;
        EXPECT_EQ(line->value.data, c.data) << c.line;
    }
    auto removal = parse_value_line("\"Gone\"=-");
    ASSERT_TRUE(removal);
    EXPECT_TRUE(removal->remove);
}

TEST(RegSyntax, MalformedValueLinesAreNotValues) {
    for (const char* line :
         {"\"Open=\"x\"", "Name=\"x\"", "\"A\"", "\"A\"=\"x\" trailing", "\"A\"=\"unterminated",
          "\"A\"=dword:", "\"A\"=dword:123456789", "\"A\"=dword:12g4", "\"A\"=hex:1,,2",
          "\"A\"=hex:123", "\"A\"=hex:,", "\"A\"=hex:01,", "\"A\"=hex:01,2", "\"A\"=hex(zz):01",
          "\"A\"=hex(2)01", "\"A\"=str:x", "\"A\"=--", "; a comment", ""}) {
        EXPECT_FALSE(parse_value_line(line)) << line;
    }
}

TEST(RegSyntax, KeyLines) {
    auto key = parse_key_line(" [HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver] ");
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->current_user);
    EXPECT_FALSE(key->remove);
    EXPECT_EQ(key->path, (std::vector<std::string>{"Software", "Velt", "Lumivex Saver"}));

    key = parse_key_line("[-hkey_current_user\\A\\\\B\\]");
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->current_user && key->remove);
    EXPECT_EQ(key->path, (std::vector<std::string>{"A", "B"}));

    key = parse_key_line("[HKEY_LOCAL_MACHINE\\Software]");
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->current_user);

    EXPECT_FALSE(parse_key_line("[HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(parse_key_line("[]"));
    EXPECT_TRUE(looks_like_key_line("[HKEY_CURRENT_USER\\A"));
}

TEST(RegSyntax, FormattedLinesReadBackExactly) {
    std::string long_binary;
    for (int i = 0; i < 300; ++i) long_binary += static_cast<char>(i * 7);
    const std::pair<std::string, Value> cases[] = {
        {"Plain", {REG_SZ, std::string("a \\ \"quoted\" \xE9 path") + '\0'}},
        {"No NUL", {REG_SZ, "abcd"}},
        {"Line break", {REG_SZ, std::string("a\nb") + '\0'}},
        {"Empty", {REG_SZ, ""}},
        {"Number", {REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12})}},
        {"Short number", {REG_DWORD, bytes({1, 2})}},
        {"Binary", {REG_BINARY, long_binary}},
        {"Empty binary", {REG_BINARY, ""}},
        {"Expand", {REG_EXPAND_SZ, std::string("%HOME%") + '\0'}},
        {"", {REG_SZ, std::string("default") + '\0'}},
        {"Odd \"name\" \\", {REG_NONE, bytes({0})}},
    };
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n";
    for (const auto& [name, value] : cases) text += format_value_line(name, value, "\n") + "\n";
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
        EXPECT_LE(nl - start, 80u) << "line folded too late";
    }
    Hive hive = hive_of(text);
    for (const auto& [name, value] : cases) {
        const Value* v = find(hive, "k", name);
        ASSERT_TRUE(v) << name;
        EXPECT_EQ(v->type, value.type) << name;
        EXPECT_EQ(v->data, value.data) << name;
    }
    EXPECT_EQ(format_value_line("Resolution", {REG_DWORD, bytes({10, 0, 0, 0})}, "\n"),
              "\"Resolution\"=dword:0000000a");
    EXPECT_EQ(format_value_line("P", {REG_SZ, std::string("a\\b") + '\0'}, "\n"),
              "\"P\"=\"a\\\\b\"");
}

TEST(RegDocument, LaterLinesWinAndDeletionsApply) {
    Hive hive = hive_of(
        "REGEDIT4\n"
        "[HKEY_CURRENT_USER\\Software\\A]\n\"x\"=dword:1\n\"y\"=\"kept\"\n\"z\"=\"gone\"\n"
        "[HKEY_CURRENT_USER\\Software\\a\\Sub]\n\"s\"=dword:2\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"X\"=dword:3\n\"z\"=-\n"
        "[HKEY_CURRENT_USER\\Software\\B\\Deep]\n\"d\"=dword:4\n"
        "[-HKEY_CURRENT_USER\\Software\\B]\n\"ignored\"=dword:5\n"
        "[HKEY_LOCAL_MACHINE\\Software\\A]\n\"foreign\"=dword:6\n"
        "[HKEY_CURRENT_USER\\Software\\C\n\"after broken\"=dword:7\n");
    ASSERT_TRUE(find(hive, "software\\a", "x"));
    EXPECT_EQ(find(hive, "software\\a", "x")->data, bytes({3, 0, 0, 0}));
    EXPECT_TRUE(find(hive, "software\\a", "y"));
    EXPECT_FALSE(find(hive, "software\\a", "z"));
    EXPECT_FALSE(find(hive, "software\\a", "foreign"));
    EXPECT_TRUE(find(hive, "software\\a\\sub", "s"));
    EXPECT_TRUE(hive.contains("software"));  // implied by its subkeys
    EXPECT_FALSE(hive.contains("software\\b"));
    EXPECT_FALSE(hive.contains("software\\b\\deep"));
    EXPECT_FALSE(hive.contains("software\\c"));
    for (const auto& [id, node] : hive) {
        EXPECT_FALSE(node.values.contains("ignored"));
        EXPECT_FALSE(node.values.contains("after broken"));
    }
}

TEST(RegDocument, HexValuesGoOnOverLines) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
        "\"Long\"=hex:01,02,\\\r\n  03,04,\\\r\n    05\r\n\"Next\"=dword:00000001\r\n"
        "\"Dangling\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\L]\r\n\"Cut\"=hex(2):41,\\\r\n  42,\\";
    Document doc = parse_document(text);
    EXPECT_EQ(doc.newline, "\r\n");
    EXPECT_EQ(serialize(doc), text);
    Hive hive = replay(doc);
    ASSERT_TRUE(find(hive, "k", "Long"));
    EXPECT_EQ(find(hive, "k", "Long")->data, bytes({1, 2, 3, 4, 5}));
    EXPECT_TRUE(find(hive, "k", "Next"));
    EXPECT_FALSE(find(hive, "k", "Dangling"));  // its continuation never came
    EXPECT_TRUE(hive.contains("l"));            // and the key line after it still counts
    EXPECT_FALSE(find(hive, "l", "Cut"));       // the file ends inside it
}

TEST(RegDocument, Utf16LittleEndianBecomesUtf8) {
    std::u16string text = u"REGEDIT4\r\n\"\u00e9\U0001F600\"";
    std::string bytes_le = "\xFF\xFE";
    for (char16_t c : text) {
        bytes_le += static_cast<char>(c & 0xFF);
        bytes_le += static_cast<char>(c >> 8);
    }
    EXPECT_EQ(decode_reg_text(bytes_le), "REGEDIT4\r\n\"\xC3\xA9\xF0\x9F\x98\x80\"");
    // A lone surrogate and an odd trailing byte: replaced and dropped, never read past the end.
    EXPECT_EQ(decode_reg_text(bytes({0xFF, 0xFE, 0x00, 0xD8, 0x41, 0x00, 0x42})),
              "\xEF\xBF\xBD"
              "A");
    EXPECT_EQ(decode_reg_text("plain \xFF\xFE"), "plain \xFF\xFE");
}

}  // namespace
