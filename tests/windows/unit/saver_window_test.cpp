// The saver window's frame chain while the display is turned off and on again, with the power
// notifications delivered to the real window procedure as Windows delivers them.
#include "core/render/render_state.h"
#include "tests/core/draw_recorder.h"
#include "windows/host/saver_main.h"
#include "windows/host/saver_window.h"
#include "windows/render/gl_context.h"
#include "windows/settings/registry.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const GUID DISPLAY_STATE = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

// Sends the display state (0 off, 1 on, 2 dimmed) in a setting block, as the system does.
LRESULT send_display_state(HWND hwnd, DWORD state, const GUID& setting = DISPLAY_STATE) {
    struct {
        POWERBROADCAST_SETTING head;
        BYTE rest[sizeof(DWORD)];
    } block = {};
    block.head.PowerSetting = setting;
    block.head.DataLength = sizeof state;
    CopyMemory(block.head.Data, &state, sizeof state);
    return SendMessageA(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                        reinterpret_cast<LPARAM>(&block));
}

// Dispatches the thread's messages for ms milliseconds.
void pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

class SaverWindowPower : public testing::Test {
  protected:
    void SetUp() override {
        HKEY key;
        hadSettings = RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) == 0;
        if (hadSettings)
            RegCloseKey(key);
        g_hInst = GetModuleHandleA(nullptr);
        g_bPreview = false;
        g_bQuit = g_bTornDown = g_bInFrame = g_bDisplayOff = false;
        WNDCLASSA wc = {};
        wc.lpfnWndProc = saver_window_proc;
        wc.hInstance = g_hInst;
        wc.lpszClassName = "VeltaPowerTest";
        RegisterClassA(&wc);
        // Smaller than the desktop: a window, not the full-screen saver, so no music starts.
        hwnd = CreateWindowExA(0, wc.lpszClassName, "Screen Saver", WS_POPUP | WS_VISIBLE, 0, 0,
                               160, 120, nullptr, nullptr, g_hInst, nullptr);
    }
    void TearDown() override {
        // The teardown saves the settings; a user who had none keeps none.
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        UnregisterClassA("VeltaPowerTest", g_hInst);
        if (!hadSettings)
            RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
        g_bQuit = g_bTornDown = g_bDisplayOff = false;
    }
    // Frames presented while the messages are dispatched for ms milliseconds.
    int frames_in(DWORD ms) {
        rec.swaps = 0;
        pump(ms);
        return rec.swaps;
    }
    // Whether n frames are presented while the messages are dispatched, within 10 s (a limit
    // for a chain that never runs, not a rate: a busy machine may draw them slowly).
    bool frames_come(int n) {
        rec.swaps = 0;
        for (DWORD start = GetTickCount(); rec.swaps < n && GetTickCount() - start < 10000;)
            pump(20);
        return rec.swaps >= n;
    }

    DrawRecorder rec;
    HWND hwnd = nullptr;
    bool hadSettings = false;
};

} // namespace

TEST_F(SaverWindowPower, DisplayOffStopsFramesAndOnOrDimmedResumesThemWithoutCountingTheSleep) {
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(g_hRC, nullptr) << "no OpenGL context on the test window";
    EXPECT_TRUE(frames_come(6));

    send_display_state(hwnd, 0);
    const uint32_t cycleStart = g_dwCycleStart;
    frames_in(50); // a frame message already queued ends the chain
    EXPECT_EQ(frames_in(600), 0);
    // Other settings and other broadcasts change nothing.
    send_display_state(hwnd, 1, GUID{});
    SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(frames_in(200), 0);

    send_display_state(hwnd, 2); // dimmed is visible
    EXPECT_TRUE(frames_come(6));
    EXPECT_GE(g_dwCycleStart - cycleStart, 800u) << "the time asleep counted as showing time";

    // Off and on again between two frames: one chain goes on, not two.
    send_display_state(hwnd, 0);
    send_display_state(hwnd, 1);
    int queued = 0;
    MSG frame;
    while (PeekMessageA(&frame, hwnd, WM_SAVER_FRAME, WM_SAVER_FRAME, PM_REMOVE))
        ++queued;
    EXPECT_EQ(queued, 1);
    PostMessageA(hwnd, WM_SAVER_FRAME, WPARAM(-1), LPARAM(-1));
    EXPECT_TRUE(frames_come(6));
}

TEST_F(SaverWindowPower, KeysStillCloseTheSaverWhileTheDisplayIsOff) {
    ASSERT_NE(hwnd, nullptr);
    send_display_state(hwnd, 0);
    frames_in(100);
    g_bFullScreen = true; // keys are read by the full-screen saver only
    PostMessageA(hwnd, WM_KEYDOWN, 'Q', 0);
    pump(200);
    g_bFullScreen = false;
    EXPECT_TRUE(g_bTornDown);
    EXPECT_FALSE(IsWindow(hwnd));
}
