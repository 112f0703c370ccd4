// The window layer's queue, timers and broadcast posts, on the scripted backend.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/win/win_scripted.h"

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK_record(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    g_seen.push_back(msg);
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

HWND make_window(DWORD style = WS_POPUP | WS_VISIBLE) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CALLBACK_record;
    wc.lpszClassName = "TestClass";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "TestClass", "T", style, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

TEST(WinQueue, CreateDispatchAndDefaultCloseDestroys) {
    ScriptedWin win;
    g_seen.clear();
    HWND h = make_window();
    ASSERT_NE(h, nullptr);
    win.queue_event(h, WM_KEYDOWN, 'A');
    pump();
    PostMessageA(h, WM_CLOSE, 0, 0);
    pump();
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CREATE, WM_KEYDOWN, WM_CLOSE, WM_DESTROY}));
    EXPECT_TRUE(win.windows().at(0).destroyed);
}

TEST(WinQueue, TimerFiresOnlyWhenDueAndQuitDoesNotStopPeek) {
    ScriptedWin win;
    g_seen.clear();
    HWND h = make_window();
    EXPECT_NE(SetTimer(h, 0, 1000, nullptr), 0u);
    pump();
    EXPECT_EQ(g_seen.size(), 1u);  // WM_CREATE only
    win.advance(1000);
    pump();
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen.back(), WM_TIMER);
    EXPECT_TRUE(KillTimer(h, 1));
    win.advance(5000);
    PostQuitMessage(0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST(WinQueue, BroadcastFromOtherThreadsReachesTopLevelWindowsOnly) {
    ScriptedWin win;
    g_seen.clear();
    HWND top = make_window();
    HWND child = CreateWindowExA(0, "TestClass", "C", WS_CHILD, 0, 0, 1, 1, top, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    g_seen.clear();
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([] {
            for (int k = 0; k < 100; ++k) PostMessageA(HWND_BROADCAST, MM_MCINOTIFY, 1, 0);
        });
    }
    for (auto& t : threads) t.join();
    pump();
    EXPECT_EQ(g_seen.size(), 400u);
}

TEST(WinQueue, MessageBoxesAreRecordedWithScriptedAnswers) {
    ScriptedWin win;
    win.answer_message_boxes({IDNO});
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_YESNO | MB_ICONWARNING), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "t2", "c2", MB_YESNO), IDYES);
    auto boxes = win.message_boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONWARNING);
    EXPECT_THROW(ExitProcess(3), ProcessExit);
}

}  // namespace
