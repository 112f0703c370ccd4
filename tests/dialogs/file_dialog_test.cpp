// The common file dialogs through the scripted host: the buffer the caller gets, the hook and
// its child dialog, the checks the flags ask for.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dialogs/common_dialogs.h"
#include "platform/dialogs/dialogs_scripted.h"
#include "platform/win/win_scripted.h"
#include "resources/dialogs/dialog_resources.h"

namespace {

namespace fs = std::filesystem;

// The strings of a NUL-separated buffer up to the empty one.
std::vector<std::string> strings_of(const char* buffer) {
    std::vector<std::string> out;
    while (*buffer) {
        out.emplace_back(buffer);
        buffer += out.back().size() + 1;
    }
    return out;
}

// What the hook heard: every CDN_FILEOK's buffer, and whether it keeps the dialog open.
struct HookLog {
    std::vector<UINT> messages;
    std::vector<std::vector<std::string>> file_oks;
    LPARAM init_param = 0;
    bool keep_open = true;
    HWND child = nullptr;
};
HookLog g_hook;

UINT_PTR hook(HWND child, UINT msg, WPARAM wparam, LPARAM lparam) {
    g_hook.messages.push_back(msg);
    if (msg == WM_INITDIALOG) {
        g_hook.init_param = lparam;
        g_hook.child = child;
        CommDlg_OpenSave_SetControlText(GetParent(child), IDOK, "Add");
        CommDlg_OpenSave_HideControl(GetParent(child), IDCANCEL);
        return 1;
    }
    if (msg == WM_NOTIFY) {
        const auto* n = reinterpret_cast<const OFNOTIFYA*>(lparam);
        if (n->hdr.code != CDN_FILEOK) return 0;
        EXPECT_EQ(n->hdr.hwndFrom, GetParent(child));
        g_hook.file_oks.push_back(strings_of(n->lpOFN->lpstrFile));
        SetWindowLongPtrA(child, DWLP_MSGRESULT, g_hook.keep_open ? 1 : 0);
        return 1;
    }
    // The child's own Cancel closes the file dialog the way the system's Cancel would.
    if (msg == WM_COMMAND && LOWORD(wparam) == 104) {
        PostMessageA(GetParent(child), WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

class FileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_hook = HookLog{};
        std::string pattern = (fs::temp_directory_path() / "lumivex-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        for (const char* name : {"a.mp3", "b.mp3", "c.MP3", "list.lst"}) {
            std::ofstream(dir_ / name) << "x";
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    // The playlist editor's way of opening the dialog.
    OPENFILENAMEA editor_request() {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = ".mp3\0\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file_;
        ofn.nMaxFile = sizeof file_;
        ofn.lpstrFileTitle = title_;
        ofn.nMaxFileTitle = sizeof title_;
        ofn.lpstrTitle = "Edit Playlist";
        ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT |
                    OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
        ofn.lpstrDefExt = "MP*";
        ofn.lpfnHook = hook;
        ofn.lpTemplateName = MAKEINTRESOURCEA(kPlaylistEditorDialog);
        return ofn;
    }

    fs::path dir_;
    char file_[16384] = {};
    char title_[260] = {};
    ScriptedWin win_;
    ScriptedDialogs dialogs_;
};

TEST_F(FileDialogTest, HookKeepsTheDialogOpenWhileItAddsFiles) {
    EXPECT_EQ(0x81A64u, OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                            OFN_ALLOWMULTISELECT | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK |
                            OFN_HIDEREADONLY);
    OPENFILENAMEA ofn = editor_request();
    dialogs_
        .then([](HWND child) {
            // The child dialog is the editor's template, inside the file dialog.
            EXPECT_EQ(child, g_hook.child);
            EXPECT_NE(GetDlgItem(child, 1018), nullptr);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(child, 102)));
        })
        .pick({path("a.mp3"), path("b.mp3"), path("c.MP3")})
        .pick({path("list.lst")})
        .click(104);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(g_hook.init_param, reinterpret_cast<LPARAM>(&ofn));
    ASSERT_EQ(g_hook.file_oks.size(), 2u);
    EXPECT_EQ(g_hook.file_oks[0],
              (std::vector<std::string>{dir_.string(), "a.mp3", "b.mp3", "c.MP3"}));
    EXPECT_EQ(g_hook.file_oks[1], (std::vector<std::string>{path("list.lst")}));
    EXPECT_STREQ(title_, "list.lst");
    EXPECT_EQ(std::string(file_ + ofn.nFileOffset), "list.lst");
    EXPECT_EQ(std::string(file_ + ofn.nFileExtension), "lst");

    ASSERT_EQ(dialogs_.shown_files().size(), 1u);
    const ShownFileDialog& shown = dialogs_.shown_files()[0];
    EXPECT_EQ(shown.title, "Edit Playlist");
    EXPECT_EQ(shown.ok_label, "Add");
    EXPECT_TRUE(shown.cancel_hidden);
    EXPECT_TRUE(shown.multiple);
    EXPECT_TRUE(shown.has_child);
    EXPECT_FALSE(shown.accepted);
    ASSERT_EQ(shown.filters.size(), 1u);
    EXPECT_EQ(shown.filters[0].description, ".mp3");
    EXPECT_TRUE(shown.filters[0].patterns.empty());  // an empty pattern: every file
    EXPECT_EQ(dialogs_.actions_left(), 0u);
}

TEST_F(FileDialogTest, AHookThatLetsGoEndsTheDialogAccepted) {
    OPENFILENAMEA ofn = editor_request();
    g_hook.keep_open = false;
    dialogs_.pick({path("a.mp3")});
    EXPECT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(file_), path("a.mp3"));
    EXPECT_EQ(ofn.nFilterIndex, 1u);
}

TEST_F(FileDialogTest, AMissingFileIsRefusedWithTheSystemsMessage) {
    OPENFILENAMEA ofn = editor_request();
    dialogs_.pick({path("gone.mp3")}).dismiss();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_TRUE(g_hook.file_oks.empty());
    ASSERT_EQ(win_.message_boxes().size(), 1u);
    EXPECT_EQ(win_.message_boxes()[0].text,
              "gone.mp3\nFile not found.\nCheck the file name and try again.");
    EXPECT_EQ(win_.message_boxes()[0].caption, "Edit Playlist");
}

TEST_F(FileDialogTest, ChoicesTooLongForTheBufferReachTheHookInParts) {
    OPENFILENAMEA ofn = editor_request();
    // Room for the folder and two names "nK.mp3" at a time.
    ofn.nMaxFile = static_cast<DWORD>(dir_.string().size() + 1 + 7 * 2 + 1);
    std::vector<std::string> names;
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        names.push_back("n" + std::to_string(i) + ".mp3");
        std::ofstream(dir_ / names.back()) << "x";
        paths.push_back(path(names.back().c_str()));
    }
    dialogs_.pick(paths).click(104);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    std::vector<std::string> heard;
    for (const auto& part : g_hook.file_oks) {
        ASSERT_FALSE(part.empty());
        if (part.size() == 1) {
            heard.push_back(fs::path(part[0]).filename().string());
        } else {
            EXPECT_EQ(part[0], dir_.string());
            heard.insert(heard.end(), part.begin() + 1, part.end());
        }
    }
    EXPECT_EQ(heard, names);
    EXPECT_EQ(g_hook.file_oks.size(), 3u);
}

TEST_F(FileDialogTest, WithoutAHookATooSmallBufferFailsAndSaysWhatItNeeds) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file_;
    ofn.nMaxFile = 8;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    dialogs_.pick({path("a.mp3"), path("b.mp3")});
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    WORD needed = 0;
    std::memcpy(&needed, file_, 2);
    EXPECT_EQ(needed, dir_.string().size() + 1 + 6 + 6 + 1);  // folder, two names, the end
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "Playlist (*.lst)\0*.lst\0Text (*.txt;*.m3u)\0*.txt;*.m3u\0\0";
    ofn.nFilterIndex = 1;
    std::snprintf(file_, sizeof file_, "%s", "remembered.lst");
    ofn.lpstrFile = file_;
    ofn.nMaxFile = sizeof file_;
    ofn.lpstrInitialDir = "/music";
    ofn.lpstrTitle = "Save List As";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "lst";
    win_.answer_message_boxes({IDNO, IDYES});
    dialogs_.pick({path("list")}, 1).pick({path("list")}, 1);
    EXPECT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file_), path("list.lst"));
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    ASSERT_EQ(win_.message_boxes().size(), 2u);
    EXPECT_EQ(win_.message_boxes()[0].text,
              path("list.lst") + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(win_.message_boxes()[0].caption, "Save List As");

    const ShownFileDialog& shown = dialogs_.shown_files().back();
    EXPECT_TRUE(shown.save);
    EXPECT_FALSE(shown.has_child);
    EXPECT_EQ(shown.name, "remembered.lst");
    EXPECT_EQ(shown.folder, "/music");
    ASSERT_EQ(shown.filters.size(), 2u);
    EXPECT_EQ(shown.filters[1].patterns, (std::vector<std::string>{"*.txt", "*.m3u"}));

    // A new name is saved without a question.
    dialogs_.pick({path("new.txt")});
    EXPECT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file_), path("new.txt"));
    EXPECT_EQ(win_.message_boxes().size(), 2u);
}

TEST_F(FileDialogTest, CancelLeavesTheBufferAsItWas) {
    OPENFILENAMEA ofn = editor_request();
    ofn.Flags &= ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
    std::snprintf(file_, sizeof file_, "%s", "keep");
    dialogs_.dismiss();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(file_, "keep");
    EXPECT_FALSE(dialogs_.shown_files().back().has_child);
    EXPECT_FALSE(GetOpenFileNameA(nullptr));
}

}  // namespace
