// The dialog resources: the templates the procedures rely on, and bitmap 152 as painted.
#include "resources/dialogs/dialog_resources.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/dialogs/dib.h"

namespace {

const ControlTemplate* find(const DialogTemplate& t, int id) {
    for (const ControlTemplate& c : t.controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

TEST(DialogResources, SettingsTemplateHasEveryControlTheProcedureUses) {
    const DialogTemplate* t = find_dialog_template(kSettingsDialog);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "Lumivex Settings");
    EXPECT_EQ(t->cx, 266);
    EXPECT_EQ(t->cy, 261);
    EXPECT_EQ(t->controls.size(), 33u);
    std::set<int> ids;
    for (const ControlTemplate& c : t->controls) {
        if (c.id != IDC_STATIC) {
            EXPECT_TRUE(ids.insert(c.id).second) << "twice: " << c.id;
        }
    }
    for (int id : {1062, 1014, 1017, 1015, 1010, 1016, 1013, 1012, 1068}) {
        ASSERT_NE(find(*t, id), nullptr) << id;
        EXPECT_EQ(find(*t, id)->kind, ControlKind::AutoRadioButton) << id;
    }
    for (int id : {1000, 1060, 1042, 1043, 1044, 1057, 1059, 1061, 1028}) {
        ASSERT_NE(find(*t, id), nullptr) << id;
        EXPECT_EQ(find(*t, id)->kind, ControlKind::AutoCheckBox) << id;
    }
    for (int id : {1026, 1020, 1019}) {
        ASSERT_NE(find(*t, id), nullptr) << id;
        EXPECT_EQ(find(*t, id)->kind, ControlKind::DropDownList) << id;
    }
    EXPECT_TRUE(find(*t, 1026)->style & CBS_SORT);
    EXPECT_FALSE(find(*t, 1020)->style & CBS_SORT);
    for (int id : {1045, IDOK, IDCANCEL}) EXPECT_EQ(find(*t, id)->kind, ControlKind::PushButton);
    EXPECT_STREQ(find(*t, 1045)->text, "Playlist...");
}

TEST(DialogResources, PlaylistEditorTemplateStartsWithItsListButtonsDisabled) {
    const DialogTemplate* t = find_dialog_template(kPlaylistEditorDialog);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "MP3 Playlist");
    EXPECT_EQ(find(*t, 1018)->kind, ControlKind::ListView);
    for (int id : {105, 102, 101}) EXPECT_TRUE(find(*t, id)->style & WS_DISABLED) << id;
    for (int id : {128, 127, 120, 129, 104, 103}) EXPECT_FALSE(find(*t, id)->style & WS_DISABLED);
    EXPECT_EQ(find_dialog_template(3), nullptr);
}

TEST(DialogResources, StringOneIsTheSaversName) {
    EXPECT_STREQ(find_string_resource(kSaverNameString), "Lumivex");
    EXPECT_EQ(find_string_resource(2), nullptr);
}

TEST(DialogResources, BitmapIsANightSkyOfStars) {
    const auto bits = find_bitmap_resource(kStarFieldBitmap);
    ASSERT_FALSE(bits.empty());
    EXPECT_TRUE(find_bitmap_resource(153).empty());
    // 256 colours, as the dialog's picture always was.
    EXPECT_EQ(bits[14], 8);
    RgbImage image;
    ASSERT_TRUE(decode_dib(bits, &image));
    EXPECT_EQ(image.width, 170);
    EXPECT_EQ(image.height, 131);
    // Mostly dark sky, with stars bright enough to see.
    int dark = 0, bright = 0;
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
        const int luma = image.rgb[i] * 3 + image.rgb[i + 1] * 6 + image.rgb[i + 2];
        if (luma < 600) ++dark;
        if (luma > 2000) ++bright;
    }
    const int pixels = image.width * image.height;
    EXPECT_GT(dark, pixels / 2);
    EXPECT_GT(bright, 40);
}

// A 2x2 bitmap of 8 bits a pixel with a two-colour palette, bottom row first.
std::vector<std::uint8_t> tiny_dib() {
    std::vector<std::uint8_t> b(40 + 8 + 8, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, 2);
    put32(8, 2);
    b[12] = 1;
    b[14] = 8;
    put32(32, 2);
    b[40] = 0xFF;  // colour 0: blue
    b[45] = 0xFF;  // colour 1: green
    b[46] = 0xFF;  // and red: yellow
    b[48] = 0;     // bottom row: blue, yellow
    b[49] = 1;
    b[52] = 1;  // top row: yellow, blue
    b[53] = 0;
    return b;
}

TEST(Dib, DecodesBottomUpRowsThroughThePalette) {
    RgbImage image;
    ASSERT_TRUE(decode_dib(tiny_dib(), &image));
    EXPECT_EQ(image.rgb,
              (std::vector<std::uint8_t>{255, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0}));
}

TEST(Dib, RefusesDamagedBitmapsWithoutReadingPastThem) {
    RgbImage image;
    std::vector<std::uint8_t> b = tiny_dib();
    for (std::size_t n = 0; n < b.size(); ++n) {
        EXPECT_FALSE(decode_dib(std::span(b.data(), n), &image)) << "cut to " << n;
    }
    b[48] = 7;  // an index past the two-colour palette
    EXPECT_FALSE(decode_dib(b, &image));
    b = tiny_dib();
    b[14] = 16;  // an unsupported depth
    EXPECT_FALSE(decode_dib(b, &image));
    b = tiny_dib();
    b[16] = 1;  // run-length compressed
    EXPECT_FALSE(decode_dib(b, &image));
    b = tiny_dib();
    b[7] = 0x80;  // a negative width
    EXPECT_FALSE(decode_dib(b, &image));
    b = tiny_dib();
    b[0] = 0xFF;  // a header longer than the data
    EXPECT_FALSE(decode_dib(b, &image));
}

}  // namespace
