// The shared dialog host through the scripted backend: buttons, radio groups, drop-down lists,
// keys, focus, nesting, and the dialog-unit arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs/dialog_units.h"
#include "platform/dialogs/dialogs_scripted.h"

namespace {

using K = ControlKind;

// Two radio groups, a check box, lists and buttons; the template order decides the groups.
const ControlTemplate kControls[] = {
    {10, K::AutoRadioButton, "A1", 0, 0, 10, 8, WS_GROUP | WS_TABSTOP},
    {11, K::AutoRadioButton, "A2", 0, 10, 10, 8, 0},
    {12, K::AutoRadioButton, "A3", 0, 20, 10, 8, 0},
    {20, K::AutoRadioButton, "B1", 0, 30, 10, 8, WS_GROUP | WS_TABSTOP},
    {21, K::AutoRadioButton, "B2", 0, 40, 10, 8, 0},
    {30, K::AutoCheckBox, "Check", 0, 50, 10, 8, WS_GROUP | WS_TABSTOP},
    {40, K::DropDownList, nullptr, 0, 60, 10, 50, WS_TABSTOP},
    {41, K::DropDownList, nullptr, 0, 70, 10, 50, WS_TABSTOP | CBS_SORT},
    {50, K::PushButton, "Push", 0, 80, 10, 8, WS_TABSTOP},
    {51, K::PushButton, "Off", 0, 90, 10, 8, WS_TABSTOP | WS_DISABLED},
    {IDOK, K::PushButton, "OK", 0, 100, 10, 8, WS_TABSTOP},
    {IDCANCEL, K::PushButton, "Cancel", 0, 110, 10, 8, WS_TABSTOP},
};
const DialogTemplate kTemplate = {900,      "Test",          0, 0,        100, 120,
                                  WS_POPUP, "MS Sans Serif", 8, kControls};

// The commands the procedure heard, as (id, notification code).
std::vector<std::pair<int, int>> g_commands;
INT_PTR g_init_result = 1;

INT_PTR recording_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
    if (msg == WM_INITDIALOG) return g_init_result;
    if (msg != WM_COMMAND) return 0;
    g_commands.emplace_back(static_cast<int>(LOWORD(wparam)), static_cast<int>(HIWORD(wparam)));
    if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, static_cast<INT_PTR>(LOWORD(wparam)));
    }
    return 1;
}

class DialogHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_commands.clear();
        g_init_result = 1;
    }
    INT_PTR run() {
        return DialogBoxIndirectParamA(nullptr, &kTemplate, nullptr, recording_proc, 0);
    }

    static bool checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

    ScriptedDialogs dialogs_;
};

TEST_F(DialogHostTest, AutoRadioButtonsClearOnlyTheirOwnGroup) {
    dialogs_.click(11)
        .click(21)
        .then([](HWND d) {
            EXPECT_FALSE(checked(d, 10));
            EXPECT_TRUE(checked(d, 11));
            EXPECT_TRUE(checked(d, 21));
        })
        .click(12)
        .then([](HWND d) {
            EXPECT_FALSE(checked(d, 11));
            EXPECT_TRUE(checked(d, 12));
            EXPECT_TRUE(checked(d, 21));  // the other group keeps its choice
            // The procedure's own CheckDlgButton touches only the one button.
            CheckDlgButton(d, 10, BST_CHECKED);
            EXPECT_TRUE(checked(d, 12));
        })
        .click(IDOK);
    EXPECT_EQ(run(), IDOK);
    const std::vector<std::pair<int, int>> heard = {
        {11, BN_CLICKED}, {21, BN_CLICKED}, {12, BN_CLICKED}, {IDOK, BN_CLICKED}};
    EXPECT_EQ(g_commands, heard);
}

TEST_F(DialogHostTest, AutoCheckBoxTogglesBeforeTheProcedureHearsTheClick) {
    dialogs_.click(30)
        .then([](HWND d) { EXPECT_TRUE(checked(d, 30)); })
        .click(30)
        .then([](HWND d) { EXPECT_FALSE(checked(d, 30)); })
        .click(IDOK);
    run();
    EXPECT_EQ(g_commands.size(), 3u);
}

TEST_F(DialogHostTest, DisabledControlsIgnoreClicksAndReturnSkipsADisabledDefault) {
    dialogs_.click(51)
        .then([](HWND d) {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, 51)));
            EnableWindow(GetDlgItem(d, IDOK), 0);
        })
        .press(VK_RETURN)
        .then([](HWND d) { EnableWindow(GetDlgItem(d, IDOK), 1); })
        .press(VK_RETURN);
    EXPECT_EQ(run(), IDOK);
    const std::vector<std::pair<int, int>> heard = {{IDOK, BN_CLICKED}};
    EXPECT_EQ(g_commands, heard);
}

TEST_F(DialogHostTest, ReturnPressesTheFocusedPushButtonAndEscapeCancels) {
    dialogs_.then([](HWND d) { SetFocus(GetDlgItem(d, 50)); }).press(VK_RETURN).press(VK_ESCAPE);
    EXPECT_EQ(run(), IDCANCEL);
    const std::vector<std::pair<int, int>> heard = {{50, BN_CLICKED}, {IDCANCEL, BN_CLICKED}};
    EXPECT_EQ(g_commands, heard);
}

TEST_F(DialogHostTest, InitialFocusGoesToTheFirstTabStopOnlyWhenTheProcedureAsks) {
    dialogs_.then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, 10)); }).click(IDOK);
    run();
    g_init_result = 0;
    dialogs_.then([](HWND) { EXPECT_EQ(GetFocus(), nullptr); }).click(IDOK);
    run();
}

TEST_F(DialogHostTest, DropDownListsSortAndSelectByPrefix) {
    dialogs_
        .then([](HWND d) {
            HWND plain = GetDlgItem(d, 40);
            HWND sorted = GetDlgItem(d, 41);
            for (const char* s : {"beta", "Alpha", "gamma", "alphabet"}) {
                ComboBox_AddString(plain, s);
                ComboBox_AddString(sorted, s);
            }
            char text[16];
            ComboBox_GetLBText(plain, 0, text);
            EXPECT_STREQ(text, "beta");
            std::vector<std::string> order;
            for (int i = 0; i < ComboBox_GetCount(sorted); ++i) {
                ComboBox_GetLBText(sorted, i, text);
                order.emplace_back(text);
            }
            EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "alphabet", "beta", "gamma"}));

            EXPECT_EQ(ComboBox_GetCurSel(plain), CB_ERR);
            EXPECT_EQ(ComboBox_SelectString(plain, -1, "ALPHA"), 1);  // any letter case
            EXPECT_EQ(ComboBox_SelectString(plain, 1, "alpha"), 3);   // searches after start
            EXPECT_EQ(ComboBox_SelectString(plain, 3, "alpha"), 1);   // and wraps round
            EXPECT_EQ(ComboBox_SelectString(plain, -1, "delta"), CB_ERR);
            EXPECT_EQ(ComboBox_GetCurSel(plain), 1);  // a failed search keeps the selection
            EXPECT_EQ(ComboBox_GetLBTextLen(plain, 1), 5);
            EXPECT_EQ(ComboBox_GetLBTextLen(plain, 4), CB_ERR);

            // The text of a list is its selected entry, cut to the buffer.
            char small[4];
            EXPECT_EQ(GetDlgItemTextA(d, 40, small, sizeof small), 3u);
            EXPECT_STREQ(small, "Alp");
            EXPECT_EQ(ComboBox_SetCurSel(plain, 9), CB_ERR);
            EXPECT_EQ(GetDlgItemTextA(d, 40, text, sizeof text), 0u);
            ComboBox_ResetContent(sorted);
            EXPECT_EQ(ComboBox_GetCount(sorted), 0);
        })
        .choose(40, "gamma")
        .choose(40, "gamma")  // choosing the selected entry again changes nothing
        .click(IDOK);
    run();
    const std::vector<std::pair<int, int>> heard = {{40, CBN_SELCHANGE}, {IDOK, BN_CLICKED}};
    EXPECT_EQ(g_commands, heard);
    EXPECT_EQ(dialogs_.shown().back().control(40)->selection, 2);
}

TEST_F(DialogHostTest, ControlFunctionsRefuseHandlesThatNameNoSuchControl) {
    dialogs_
        .then([](HWND d) {
            EXPECT_EQ(GetDlgItem(d, 999), nullptr);
            EXPECT_EQ(ComboBox_AddString(GetDlgItem(d, 30), "x"), CB_ERR);  // not a list
            EXPECT_EQ(CheckDlgButton(d, 40, BST_CHECKED), 0);               // not a button
            EXPECT_EQ(IsDlgButtonChecked(d, 999), BST_UNCHECKED);
            EXPECT_EQ(EndDialog(GetDlgItem(d, 30), 5), 0);  // not a dialog
            char text[8] = "x";
            EXPECT_EQ(GetDlgItemTextA(d, 999, text, sizeof text), 0u);
            EXPECT_STREQ(text, "");
            EXPECT_EQ(GetDlgCtrlID(GetDlgItem(d, 50)), 50);
            EXPECT_EQ(GetParent(GetDlgItem(d, 50)), d);
        })
        .click(IDOK);
    EXPECT_EQ(run(), IDOK);
    EXPECT_EQ(GetDlgItem(dialogs_.shown().back().controls[0].hwnd, 10), nullptr);
}

TEST_F(DialogHostTest, ArrowsMoveWithinAGroupAndTabMovesBetweenTabStops) {
    dialogs_
        .press(VK_DOWN)  // from A1, the first tab stop: A2 gets the focus and the check
        .then([](HWND d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 11));
            EXPECT_TRUE(checked(d, 11));
        })
        .press(VK_UP)
        .press(VK_UP)  // wraps round to A3
        .then([](HWND d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 12));
            EXPECT_TRUE(checked(d, 12));
            EXPECT_FALSE(checked(d, 10));
        })
        .press(VK_TAB)  // the next group's stop: B1, unchecked as it is
        .then([](HWND d) {
            EXPECT_EQ(GetFocus(), GetDlgItem(d, 20));
            EXPECT_FALSE(checked(d, 20));
        })
        .press(VK_TAB)
        .press(VK_TAB)
        .press(VK_TAB)
        .then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, 41)); })
        .press(VK_DOWN)  // a list keeps its arrows: nothing moves
        .then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, 41)); })
        .press(VK_TAB)  // Push; the disabled Off is no stop
        .press(VK_TAB)
        .then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, IDOK)); })
        .press(VK_TAB)
        .press(VK_TAB)  // round to the first group, at its checked button
        .then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, 12)); })
        .press(VK_TAB, true)  // Shift+Tab goes back to Cancel
        .then([](HWND d) { EXPECT_EQ(GetFocus(), GetDlgItem(d, IDCANCEL)); })
        .press(VK_RETURN);
    EXPECT_EQ(run(), IDCANCEL);
}

INT_PTR ends_at_once(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) EndDialog(dialog, 42);
    return 1;
}

TEST_F(DialogHostTest, EndingDuringInitialisationNeverShowsTheDialog) {
    dialogs_.click(IDOK);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &kTemplate, nullptr, ends_at_once, 0), 42);
    EXPECT_EQ(dialogs_.actions_left(), 1u);
}

TEST_F(DialogHostTest, NestedDialogsTakeTheScriptInTurn) {
    static HWND outer = nullptr;
    static INT_PTR inner_result = 0;
    outer = nullptr;
    auto outer_proc = [](HWND dialog, UINT msg, WPARAM wparam, LPARAM) -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            outer = dialog;
            return 1;
        }
        if (msg == WM_COMMAND && LOWORD(wparam) == 50) {
            inner_result = DialogBoxIndirectParamA(nullptr, &kTemplate, dialog, recording_proc, 0);
        } else if (msg == WM_COMMAND && LOWORD(wparam) == IDOK) {
            EndDialog(dialog, 7);
        }
        return 1;
    };
    dialogs_.click(50)
        .then([](HWND d) {
            EXPECT_NE(d, outer);
            EXPECT_EQ(GetParent(d), outer);
        })
        .press(VK_ESCAPE)
        .click(IDOK);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &kTemplate, nullptr, outer_proc, 0), 7);
    EXPECT_EQ(inner_result, IDCANCEL);
    ASSERT_EQ(dialogs_.shown().size(), 2u);
    EXPECT_EQ(dialogs_.shown()[0].owner, outer);
}

TEST_F(DialogHostTest, ADialogStillOpenWhenTheScriptEndsClosesWithMinusOne) {
    dialogs_.click(30);
    EXPECT_EQ(run(), -1);
    EXPECT_TRUE(dialogs_.shown().back().script_ran_out);
}

TEST_F(DialogHostTest, WithoutABackendOrTemplateNoDialogIsShown) {
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, nullptr, nullptr, recording_proc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), nullptr, recording_proc, 0), -1);
    install_dialog_backend(nullptr);
    EXPECT_EQ(run(), -1);
    install_dialog_backend(&dialogs_);
}

TEST(DialogUnits, ConvertWithTheFontsAverageWidthAndHeight) {
    // MS Sans Serif 8 at 96 dots per inch: 52 letters 286 pixels wide, 13 pixels high.
    const DialogBaseUnits sans8 = base_units_from_font(286, 13);
    EXPECT_EQ(sans8.x, 6);
    EXPECT_EQ(sans8.y, 13);
    // The settings dialog, 266 x 261 units.
    const RECT r = map_dialog_rect(0, 0, 266, 261, sans8);
    EXPECT_EQ(r.right, 399);
    EXPECT_EQ(r.bottom, 424);  // 261 * 13 / 8 = 424.125
    // Halves round away from zero, as MulDiv does.
    EXPECT_EQ(dialog_y_to_pixels(4, DialogBaseUnits{6, 13}), 7);  // 6.5
    EXPECT_EQ(dialog_x_to_pixels(2, DialogBaseUnits{7, 13}), 4);  // 3.5
    EXPECT_EQ(dialog_x_to_pixels(-2, DialogBaseUnits{7, 13}), -4);
    // Position and size are scaled each on its own.
    const RECT c = map_dialog_rect(19, 23, 71, 8, DialogBaseUnits{7, 17});
    EXPECT_EQ(c.left, 33);         // 33.25
    EXPECT_EQ(c.top, 49);          // 48.875
    EXPECT_EQ(c.right, 33 + 124);  // 124.25
    EXPECT_EQ(c.bottom, 49 + 17);
    // A larger desktop font: 52 letters of 380 pixels give 7.
    EXPECT_EQ(base_units_from_font(380, 17).x, 7);
    EXPECT_EQ(base_units_from_font(0, 0).x, 1);
}

}  // namespace
