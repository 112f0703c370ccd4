// What the playlist editor's tests share: a clean process state, a music folder and a look at
// the editor's rows.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs_scripted.h"
#include "platform/win/win_scripted.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"
#include "playlist/playlist_random.h"
#include "saver/playlist_editor.h"
#include "saver/save_list_as.h"
#include "tests/playlist/playlist_test_support.h"

// The child dialog's controls.
constexpr int kList = 1018;
constexpr int kSaveList = 101;
constexpr int kRemove = 102;
constexpr int kOk = 103;
constexpr int kCancel = 104;
constexpr int kRandomize = 105;
constexpr int kCdTrack = 120;
constexpr int kDown = 127;
constexpr int kUp = 128;
constexpr int kLoadList = 129;

// Every test starts as a new process would: empty lists, no icons, no remembered name, its own
// registry file, a known random order; message boxes are recorded.
class EditorTest : public ::testing::Test {
protected:
    EditorTest() {
        if (const char* old = getenv("XDG_CONFIG_HOME")) old_config_ = old;
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        reset_global_lists();
        reset_player_state();
        reset_playlist_editor();
        reset_save_list_as();
        seed_playlist_random(12345);
    }
    ~EditorTest() override {
        reset_player_state();
        reset_global_lists();
        if (old_config_) {
            setenv("XDG_CONFIG_HOME", old_config_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }

    // Opens the editor and plays the script given so far; the script should end the dialog.
    void run_editor() {
        open_playlist_editor(nullptr);
        EXPECT_EQ(dialogs.actions_left(), 0u) << "the editor closed before the script's end";
    }

    // The editor's child dialog as it was when it closed (the last one shown).
    const ShownDialog& child() const {
        for (auto it = dialogs.shown().rbegin(); it != dialogs.shown().rend(); ++it) {
            if (it->template_id == 2) return *it;
        }
        ADD_FAILURE() << "the editor was not shown";
        return dialogs.shown().back();
    }

    static std::vector<std::string> texts_of(const Control& list) {
        std::vector<std::string> out;
        for (const ListViewRow& row : list.rows) out.push_back(row.text);
        return out;
    }
    static std::vector<int> selected_of(const Control& list) {
        std::vector<int> out;
        for (std::size_t i = 0; i < list.rows.size(); ++i) {
            if (list.rows[i].state & LVIS_SELECTED) out.push_back(static_cast<int>(i));
        }
        return out;
    }
    // The rows of the open editor's list view, from inside a script.
    static const Control& live_list(HWND child) { return *control_of(GetDlgItem(child, kList)); }
    static bool enabled(HWND child, int id) { return IsWindowEnabled(GetDlgItem(child, id)) != 0; }

    std::vector<std::string> paths_of(const Playlist& list) const {
        std::vector<std::string> out;
        for (int i = 0; i < list.count; ++i) out.push_back(list.entries[i]->path);
        return out;
    }
    // Puts entries in editorList before the editor opens.
    void fill_editor(std::initializer_list<const char*> paths) {
        for (const char* p : paths) editorList.appendPath(p);
    }
    std::string file(const std::string& name, const std::string& bytes = "x") {
        return dir.write(name, bytes);
    }

    TempFolder dir;
    ScriptedWin win;
    ScriptedDialogs dialogs;

private:
    std::optional<std::string> old_config_;
};
