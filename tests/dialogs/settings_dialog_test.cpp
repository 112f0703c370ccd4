// The settings dialog through the scripted host: what it shows, what OK stores, what Cancel keeps.
#include "saver/settings_dialog.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/dialogs/dialogs_scripted.h"
#include "platform/registry/registry.h"
#include "platform/win/win_scripted.h"
#include "player/player_state.h"
#include "saver/saver_settings.h"
#include "tests/dialogs/working_copies_fake.h"

namespace {

// Background number -> radio button, as the dialog maps them.
constexpr int kRadioOf[9] = {1015, 1016, 1010, 1012, 1013, 1014, 1017, 1062, 1068};

class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lumivex-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        if (const char* old = getenv("XDG_CONFIG_HOME")) old_config_ = old;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        reset_player_state();
        reset_fake_working_copies();
        set_saver_settings(&settings_);
        set_playlist_editor(nullptr);
    }

    void TearDown() override {
        set_saver_settings(nullptr);
        set_playlist_editor(nullptr);
        if (old_config_) {
            setenv("XDG_CONFIG_HOME", old_config_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        std::filesystem::remove_all(dir_);
    }

    // Shows the dialog with the script given so far; returns how it closed.
    const ShownDialog& run() {
        show_settings_dialog(nullptr);
        EXPECT_EQ(dialogs_.actions_left(), 0u) << "the dialog closed before the script's end";
        EXPECT_FALSE(dialogs_.shown().empty());
        return dialogs_.shown().back();
    }

    // A numeric value of the saver's key, or nothing when the key or value is missing.
    static std::optional<int> stored(const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::uint8_t data[4] = {};
        DWORD size = sizeof data;
        DWORD type = 0;
        const bool ok = RegQueryValueExA(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (!ok || type != REG_DWORD || size != 4) return std::nullopt;
        std::int32_t v;
        std::memcpy(&v, data, 4);
        return v;
    }

    static bool checked(HWND dialog, int id) {
        return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    }

    static std::string selected_text(HWND dialog, int id) {
        char text[16];
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }

    std::filesystem::path dir_;
    std::optional<std::string> old_config_;
    ScriptedWin win_;
    ScriptedDialogs dialogs_;
    SaverSettings settings_;
};

TEST_F(SettingsDialogTest, OpensWithTheDefaultsShown) {
    dialogs_
        .then([](HWND d) {
            EXPECT_TRUE(checked(d, 1062));  // Blue/red 3D, background 7
            for (int radio : kRadioOf) EXPECT_EQ(checked(d, radio), radio == 1062) << radio;
            EXPECT_TRUE(checked(d, 1042));
            EXPECT_FALSE(checked(d, 1043));
            EXPECT_FALSE(checked(d, 1044));
            EXPECT_TRUE(checked(d, 1000));
            EXPECT_TRUE(checked(d, 1028));
            EXPECT_TRUE(checked(d, 1061));
            EXPECT_FALSE(checked(d, 1057));
            EXPECT_FALSE(checked(d, 1059));
            EXPECT_FALSE(checked(d, 1060));
            EXPECT_EQ(selected_text(d, 1020), "300");
            EXPECT_EQ(selected_text(d, 1019), "2");
            EXPECT_EQ(selected_text(d, 1026), "4");
            EXPECT_EQ(ComboBox_GetCount(GetDlgItem(d, 1020)), 4);
            EXPECT_EQ(ComboBox_GetCount(GetDlgItem(d, 1019)), 5);
            EXPECT_EQ(ComboBox_GetCount(GetDlgItem(d, 1026)), 8);
        })
        .click(IDCANCEL);
    const ShownDialog& shown = run();
    EXPECT_EQ(shown.caption, "Lumivex Settings");
    EXPECT_EQ(shown.template_id, 122);
    EXPECT_EQ(shown.result, IDCANCEL);
}

TEST_F(SettingsDialogTest, EachBackgroundNumberChecksItsRadioButton) {
    for (int number = 0; number <= 9; ++number) {
        settings_.backgroundNumber = number;
        dialogs_
            .then([number](HWND d) {
                for (int n = 0; n <= 8; ++n) {
                    EXPECT_EQ(checked(d, kRadioOf[n]), n == number)
                        << "stored " << number << ", radio of " << n;
                }
            })
            .click(IDCANCEL);
        run();
    }
}

TEST_F(SettingsDialogTest, EachRadioButtonStoresItsBackgroundNumber) {
    for (int number = 0; number <= 8; ++number) {
        settings_.backgroundNumber = 7;
        dialogs_.click(kRadioOf[number]).click(IDOK);
        EXPECT_EQ(run().result, IDOK);
        EXPECT_EQ(stored("Background Number"), number);
        EXPECT_EQ(settings_.backgroundNumber, number);
        EXPECT_EQ(fake_working_copy(WorkingCopy::BackgroundNumber), number);
    }
}

TEST_F(SettingsDialogTest, ChoosingABackgroundClearsTheOtherEight) {
    dialogs_.click(1068)
        .then([](HWND d) {
            for (int radio : kRadioOf) EXPECT_EQ(checked(d, radio), radio == 1068) << radio;
        })
        .click(1015)
        .click(1015)  // a checked radio button stays checked
        .then([](HWND d) {
            for (int radio : kRadioOf) EXPECT_EQ(checked(d, radio), radio == 1015) << radio;
            // The background group ends before the check boxes.
            EXPECT_TRUE(checked(d, 1000));
        })
        .click(IDCANCEL);
    run();
}

TEST_F(SettingsDialogTest, AnUnknownBackgroundChecksNoneAndOkKeepsIt) {
    settings_.backgroundNumber = 12;
    dialogs_.click(IDOK);
    run();
    EXPECT_EQ(stored("Background Number"), 12);
}

TEST_F(SettingsDialogTest, ResolutionBoxesAreMutuallyExclusive) {
    auto only = [](int on) {
        return [on](HWND d) {
            for (int id : {1042, 1043, 1044}) EXPECT_EQ(checked(d, id), id == on) << id;
        };
    };
    dialogs_.click(1043)
        .then(only(1043))
        .click(1043)  // clicking the checked box keeps it checked
        .then(only(1043))
        .click(1044)
        .then(only(1044))
        .click(1044)
        .then(only(1044))
        .click(1042)
        .then(only(1042))
        .click(1042)
        .then(only(1042))
        .click(1044)
        .click(IDOK);
    run();
    EXPECT_EQ(stored("Resolution"), 2);
}

TEST_F(SettingsDialogTest, AnUnknownResolutionChecksNoBoxAndIsKeptUntilOneIsChosen) {
    settings_.resolution = 5;
    dialogs_
        .then([](HWND d) {
            for (int id : {1042, 1043, 1044}) EXPECT_FALSE(checked(d, id)) << id;
        })
        .click(IDOK);
    run();
    EXPECT_EQ(stored("Resolution"), 5);

    dialogs_.click(1043).click(IDOK);
    run();
    EXPECT_EQ(stored("Resolution"), 1);
}

TEST_F(SettingsDialogTest, StoredValuesThatNoEntryBeginsWithLeaveTheListsUnselected) {
    settings_.smallStarNumber = 250;
    settings_.smallStarSpeed = 9;
    settings_.largeStarNumber = 0;
    dialogs_
        .then([](HWND d) {
            for (int id : {1020, 1019, 1026}) {
                EXPECT_EQ(ComboBox_GetCurSel(GetDlgItem(d, id)), CB_ERR) << id;
                EXPECT_EQ(selected_text(d, id), "") << id;
            }
        })
        .click(IDOK);
    run();
    EXPECT_EQ(stored("Small Star Number"), 250);
    EXPECT_EQ(stored("Small Star Speed"), 9);
    EXPECT_EQ(stored("Large Star Number"), 0);
}

TEST_F(SettingsDialogTest, ListsSelectTheFirstEntryThatBeginsWithTheStoredValue) {
    // "3" is the beginning of "300": the list shows 300, and OK stores what it shows.
    settings_.smallStarNumber = 3;
    settings_.smallStarSpeed = 0;
    dialogs_
        .then([](HWND d) {
            EXPECT_EQ(selected_text(d, 1020), "300");
            EXPECT_EQ(selected_text(d, 1019), "0");
        })
        .click(IDOK);
    run();
    EXPECT_EQ(stored("Small Star Number"), 300);
    EXPECT_EQ(stored("Small Star Speed"), 0);
}

TEST_F(SettingsDialogTest, CancelWritesNothing) {
    for (auto finish : {+[](ScriptedDialogs& s) { s.click(IDCANCEL); },
                        +[](ScriptedDialogs& s) { s.press(VK_ESCAPE); },
                        +[](ScriptedDialogs& s) { s.close(); }}) {
        dialogs_.click(1068).click(1044).click(1057).choose(1020, "100").choose(1026, "8");
        finish(dialogs_);
        EXPECT_EQ(run().result, IDCANCEL);
        EXPECT_FALSE(std::filesystem::exists(registry_file_path()));
        EXPECT_EQ(stored("Background Number"), std::nullopt);
        EXPECT_EQ(settings_.backgroundNumber, 7);
        EXPECT_EQ(fake_working_copy(WorkingCopy::BackgroundNumber), std::nullopt);
    }
}

TEST_F(SettingsDialogTest, OkWritesEveryValueAndCopiesTheRepeatFlag) {
    // A playlist stored before: saving the dialog leaves it alone.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char playlist[] = "/music/list.m3u";
    RegSetValueExA(key, "Playlist", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(playlist),
                   sizeof playlist);
    RegCloseKey(key);

    dialogs_
        .click(1013)  // Spiral galaxy
        .click(1000)  // Show background off
        .click(1060)  // Random background on
        .click(1043)  // 800x600
        .click(1057)  // Play on
        .click(1059)  // Repeat on
        .click(1061)  // Move randomly off
        .click(1028)  // Trails off
        .choose(1020, "400")
        .choose(1019, "0")
        .choose(1026, "7")
        .click(IDOK);
    EXPECT_EQ(run().result, IDOK);
    EXPECT_EQ(stored("Show Background"), 0);
    EXPECT_EQ(stored("Background Number"), 4);
    EXPECT_EQ(stored("Small Star Speed"), 0);
    EXPECT_EQ(stored("Small Star Number"), 400);
    EXPECT_EQ(stored("Large Star Number"), 7);
    EXPECT_EQ(stored("Show Trails"), 0);
    EXPECT_EQ(stored("Resolution"), 1);
    EXPECT_EQ(stored("PlayMP3"), 1);
    EXPECT_EQ(stored("RepeatMP3"), 1);
    EXPECT_EQ(stored("Random"), 1);
    EXPECT_EQ(stored("Move Random"), 0);
    EXPECT_EQ(player_state().repeat, 1);
    EXPECT_EQ(settings_.repeatPlaylist, 1);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    char text[64] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(key, "Playlist", nullptr, nullptr,
                               reinterpret_cast<std::uint8_t*>(text), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_STREQ(text, playlist);
}

TEST_F(SettingsDialogTest, RepeatOffOnOkClearsThePlayersFlag) {
    settings_.repeatPlaylist = 1;
    player_state().repeat = 1;
    dialogs_.click(1059).click(IDOK);
    run();
    EXPECT_EQ(player_state().repeat, 0);
    EXPECT_EQ(stored("RepeatMP3"), 0);
}

TEST_F(SettingsDialogTest, ReturnIsOkUnlessAPushButtonHasTheFocus) {
    dialogs_
        .then([](HWND d) {
            // The first tab stop, the first background button, has the focus when the dialog opens.
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 1062));
        })
        .click(1016)
        .press(VK_RETURN);
    EXPECT_EQ(run().result, IDOK);
    EXPECT_EQ(stored("Background Number"), 1);

    dialogs_.click(1068).then([](HWND d) { SetFocus(GetDlgItem(d, IDCANCEL)); }).press(VK_RETURN);
    EXPECT_EQ(run().result, IDCANCEL);
    EXPECT_EQ(stored("Background Number"), 1);
}

TEST_F(SettingsDialogTest, PlaylistButtonOpensTheEditorOwnedByTheDialog) {
    static HWND editor_owner = nullptr;
    static int editor_calls = 0;
    editor_owner = nullptr;
    editor_calls = 0;
    set_playlist_editor([](HWND owner) {
        editor_owner = owner;
        ++editor_calls;
    });
    HWND dialog = nullptr;
    dialogs_.then([&](HWND d) { dialog = d; }).click(1045).click(1045).click(IDCANCEL);
    EXPECT_EQ(run().result, IDCANCEL);
    EXPECT_EQ(editor_calls, 2);
    EXPECT_EQ(editor_owner, dialog);

    set_playlist_editor(nullptr);
    dialogs_.click(1045).click(IDCANCEL);  // without an editor the button does nothing
    EXPECT_EQ(run().result, IDCANCEL);
}

}  // namespace
