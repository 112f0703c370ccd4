// List views, image lists, subclassed controls and dropped files through the scripted host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs/dialogs_scripted.h"

namespace {

using K = ControlKind;

const ControlTemplate kControls[] = {
    {1018, K::ListView, nullptr, 4, 4, 180, 118, WS_TABSTOP | LVS_REPORT},
    {IDOK, K::PushButton, "OK", 190, 4, 40, 14, WS_TABSTOP},
};
const DialogTemplate kTemplate = {901,      "List",          0, 0,        240, 130,
                                  WS_POPUP, "MS Sans Serif", 8, kControls};

INT_PTR plain_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wparam) == IDOK) EndDialog(dialog, IDOK);
    return msg == WM_INITDIALOG ? 1 : 0;
}

void insert(HWND list, int at, const char* text, int image = -1) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = at;
    item.pszText = const_cast<char*>(text);
    item.iImage = image;
    item.lParam = at;
    ListView_InsertItem(list, &item);
}

std::vector<std::string> texts(HWND list) {
    std::vector<std::string> out;
    char buffer[64];
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        ListView_GetItemText(list, i, 0, buffer, sizeof buffer);
        out.emplace_back(buffer);
    }
    return out;
}

std::vector<int> selected(HWND list) {
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i != -1;
         i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
        rows.push_back(i);
    }
    return rows;
}

void run() { DialogBoxIndirectParamA(nullptr, &kTemplate, nullptr, plain_proc, 0); }

TEST(ListView, RowsInsertDeleteAndKeepTheirData) {
    ScriptedDialogs dialogs;
    dialogs
        .then([](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            LVCOLUMNA column{LVCF_TEXT | LVCF_WIDTH | LVCF_FMT, LVCFMT_LEFT, 125,
                             const_cast<char*>("File"),         0,           0};
            EXPECT_EQ(ListView_InsertColumn(list, 0, &column), 0);
            insert(list, 0, "1. a.mp3");
            insert(list, 1, "2. b.mp3");
            insert(list, 99, "3. c.mp3");  // past the end: appended
            insert(list, 0, "0. z.mp3");
            EXPECT_EQ(texts(list),
                      (std::vector<std::string>{"0. z.mp3", "1. a.mp3", "2. b.mp3", "3. c.mp3"}));
            LVITEMA item{};
            item.mask = LVIF_PARAM;
            item.iItem = 2;
            ASSERT_TRUE(ListView_GetItem(list, &item));
            EXPECT_EQ(item.lParam, 1);
            EXPECT_TRUE(ListView_DeleteItem(list, 1));
            EXPECT_FALSE(ListView_DeleteItem(list, 3));
            EXPECT_EQ(ListView_GetItemCount(list), 3);
            char tiny[3];
            ListView_GetItemText(list, 0, 0, tiny, sizeof tiny);
            EXPECT_STREQ(tiny, "0.");
            EXPECT_TRUE(ListView_DeleteAllItems(list));
            EXPECT_EQ(ListView_GetItemCount(list), 0);
            EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_ALL), -1);
        })
        .click(IDOK);
    run();
    const Control* list = dialogs.shown().back().control(1018);
    ASSERT_EQ(list->columns.size(), 1u);
    EXPECT_EQ(list->columns[0].text, "File");
    EXPECT_EQ(list->columns[0].width, 125);
}

TEST(ListView, SelectionAndFocusFollowTheStateBits) {
    ScriptedDialogs dialogs;
    dialogs
        .then([](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            for (const char* t : {"W", "X", "Y", "Z"}) insert(list, 99, t);
        })
        .select_rows(1018, {1, 3})
        .then([](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            EXPECT_EQ(selected(list), (std::vector<int>{1, 3}));
            EXPECT_EQ(ListView_GetSelectedCount(list), 2u);
            EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 3);
            // The procedure moves the selection: one focused row at a time.
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
            EXPECT_EQ(selected(list), (std::vector<int>{0, 1}));
            EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_FOCUSED), 0u);
            EXPECT_EQ(ListView_GetItemState(list, 1, LVIS_FOCUSED), LVIS_FOCUSED);
            EXPECT_TRUE(ListView_EnsureVisible(list, 3, 0));
            EXPECT_FALSE(ListView_EnsureVisible(list, 4, 0));
            SetFocus(list);
            EXPECT_EQ(GetFocus(), list);
            // The scripted rows are 16 pixels high; the nearest row to a point below the
            // last is the last.
            LVFINDINFOA find{LVFI_NEARESTXY, nullptr, 0, POINT{5, 40}, VK_LEFT};
            EXPECT_EQ(ListView_FindItem(list, -1, &find), 2);
            find.pt.y = 500;
            EXPECT_EQ(ListView_FindItem(list, -1, &find), 3);
        })
        .click(IDOK);
    run();
    EXPECT_EQ(dialogs.shown().back().control(1018)->scroll_to, 3);
}

TEST(ListView, ImageListsHoldTheDesktopsFileIcons) {
    ScriptedDialogs dialogs;
    dialogs
        .then([&dialogs](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 8, 8);
            EXPECT_EQ(ListView_SetImageList(list, images, LVSIL_SMALL), nullptr);
            SHFILEINFOA info{};
            ASSERT_NE(SHGetFileInfoA("/music/Song.MP3", 0, &info, sizeof info,
                                     SHGFI_ICON | SHGFI_SMALLICON),
                      0u);
            EXPECT_EQ(ImageList_AddIcon(images, info.hIcon), 0);
            EXPECT_TRUE(DestroyIcon(info.hIcon));
            EXPECT_FALSE(DestroyIcon(info.hIcon));
            EXPECT_EQ(ImageList_AddIcon(images, info.hIcon), -1);  // a destroyed icon
            EXPECT_EQ(ImageList_GetImageCount(images), 1);
            insert(list, 0, "1. Song.MP3", 0);
            EXPECT_EQ(dialogs.icon_requests(), (std::vector<std::string>{"/music/Song.MP3"}));
            const auto* icons = image_list_icons(images);
            ASSERT_NE(icons, nullptr);
            EXPECT_EQ((*icons)[0].content_type, "type/mp3");
        })
        .click(IDOK);
    run();
    EXPECT_EQ(dialogs.shown().back().control(1018)->rows[0].image, 0);
}

// What the subclass procedure heard, and whether it let the list view go on.
std::vector<std::pair<UINT, WPARAM>> g_heard;
std::vector<std::string> g_dropped;
POINT g_drop_point;
bool g_pass_on = true;

LRESULT listener(HWND control, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, std::uintptr_t) {
    g_heard.emplace_back(msg, wparam);
    if (msg == WM_DROPFILES) {
        auto drop = reinterpret_cast<HDROP>(wparam);
        const UINT n = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
        for (UINT i = 0; i < n; ++i) {
            char name[8];  // deliberately short: names are cut, never overrun
            DragQueryFileA(drop, i, name, sizeof name);
            g_dropped.emplace_back(name);
        }
        EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 16u);  // "/music/first.mp3"
        DragQueryPoint(drop, &g_drop_point);
        DragFinish(drop);
        EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 0u);
    }
    return g_pass_on ? DefSubclassProc(control, msg, wparam, lparam) : 0;
}

std::vector<UINT> g_order;
LRESULT first(HWND c, UINT msg, WPARAM w, LPARAM l, UINT_PTR, std::uintptr_t ref) {
    g_order.push_back(static_cast<UINT>(ref));
    return DefSubclassProc(c, msg, w, l);
}

TEST(ListView, SubclassProceduresHearKeysDoubleClicksAndDrops) {
    ScriptedDialogs dialogs;
    g_heard.clear();
    g_dropped.clear();
    g_order.clear();
    g_pass_on = true;
    dialogs
        .then([](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            insert(list, 0, "a");
            insert(list, 1, "b");
            EXPECT_TRUE(SetWindowSubclass(list, first, 1, 1));
            EXPECT_TRUE(SetWindowSubclass(list, listener, 2, 0));
            DragAcceptFiles(list, 1);
        })
        .key(1018, 'N')
        .double_click(1018)
        .drop(1018, {"/music/first.mp3", "/b.mp3"}, 1)
        .then([](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            EXPECT_EQ(GetFocus(), list);  // a key goes to the control that has the focus
            EXPECT_TRUE(RemoveWindowSubclass(list, listener, 2));
            EXPECT_FALSE(RemoveWindowSubclass(list, listener, 2));
            DragAcceptFiles(list, 0);
        })
        .drop(1018, {"/c.mp3"}, 0)  // no longer accepted
        .key(1018, VK_DELETE)
        .click(IDOK);
    run();
    const std::vector<std::pair<UINT, WPARAM>> heard = {{WM_KEYDOWN, 'N'}, {WM_LBUTTONDBLCLK, 0}};
    ASSERT_EQ(g_heard.size(), 3u);
    EXPECT_EQ(g_heard[0], heard[0]);
    EXPECT_EQ(g_heard[1], heard[1]);
    EXPECT_EQ(g_heard[2].first, WM_DROPFILES);
    EXPECT_EQ(g_dropped, (std::vector<std::string>{"/music/", "/b.mp3"}));
    EXPECT_EQ(g_drop_point.y, 1 * ScriptedDialogs::kRowHeight + ScriptedDialogs::kRowHeight / 2);
    // The later subclass runs first; DefSubclassProc hands on to the earlier one.
    EXPECT_EQ(g_order, (std::vector<UINT>{1, 1, 1, 1}));
}

TEST(ListView, TheControlHandlesAMessageItselfOnlyWhenTheChainReachesIt) {
    ScriptedDialogs dialogs;
    g_heard.clear();
    bool passed = false, stopped = true;
    dialogs
        .then([&](HWND d) {
            HWND list = GetDlgItem(d, 1018);
            Dialog* dialog = dialog_of(d);
            Control* control = control_of(list);
            EXPECT_TRUE(dialog_control_message(*dialog, *control, WM_KEYDOWN, 'A', 0));
            SetWindowSubclass(list, listener, 2, 0);
            g_pass_on = true;
            passed = dialog_control_message(*dialog, *control, WM_KEYDOWN, 'A', 0);
            g_pass_on = false;
            stopped = dialog_control_message(*dialog, *control, WM_KEYDOWN, 'A', 0);
            g_pass_on = true;
        })
        .click(IDOK);
    run();
    EXPECT_TRUE(passed);
    EXPECT_FALSE(stopped);
}

}  // namespace
