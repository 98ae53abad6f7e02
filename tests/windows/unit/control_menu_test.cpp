// The Control Menu dialog from the program's own resources: texts, layout, placement, the
// pointer rules in the saver, and that only one opens at a time; where dialogs are centred.
#include "core/render/render_state.h"
#include "windows/dialogs/center_window.h"
#include "windows/dialogs/control_menu.h"
#include "windows/host/saver_main.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

// Dialogs need a desktop: under Wine that is an X display.
bool have_display() {
    return std::getenv("DISPLAY") != nullptr;
}

HWND wait_for_control_menu() {
    for (int i = 0; i < 500; ++i) {
        HWND dlg = FindWindowA(nullptr, "Control Menu");
        if (dlg && IsWindowVisible(dlg))
            return dlg;
        Sleep(10);
    }
    return nullptr;
}

std::string text_of(HWND hwnd) {
    char text[512] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

struct Seen {
    bool found = false;
    std::string caption, okText, moduleKeys;
    LONG okStyle = 0;
    int okId = 0;
    RECT client{}, window{}, clip{}, expectedClient{}, okRect{};
    bool nestedReturned = false;
};

// Looks at the open dialog from another thread, then closes it with the given command.
void inspect_and_close(Seen* seen, WPARAM command) {
    HWND dlg = wait_for_control_menu();
    if (!dlg)
        return;
    seen->found = true;
    seen->caption = text_of(dlg);
    GetClientRect(dlg, &seen->client);
    GetWindowRect(dlg, &seen->window);
    GetClipCursor(&seen->clip);
    seen->expectedClient = {0, 0, 135, 161};
    MapDialogRect(dlg, &seen->expectedClient);
    HWND ok = GetDlgItem(dlg, IDOK);
    seen->okText = text_of(ok);
    seen->okStyle = GetWindowLongA(ok, GWL_STYLE);
    seen->okRect = {43, 135, 43 + 50, 135 + 16};
    MapDialogRect(dlg, &seen->okRect);
    RECT actual;
    GetWindowRect(ok, &actual);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
    if (!EqualRect(&actual, &seen->okRect))
        seen->okRect = {};
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string text = text_of(child);
        if (text.rfind("Enter", 0) == 0)
            seen->moduleKeys = text;
    }
    // A second request while this one is open returns at once.
    std::thread nested([seen] {
        show_control_menu(nullptr);
        seen->nestedReturned = true;
    });
    nested.join();
    PostMessageA(dlg, WM_COMMAND, command, 0);
}

TEST(ControlMenu, ShowsTheKeysCentredAndHoldsThePointerInTheSaver) {
    if (!have_display())
        GTEST_SKIP() << "no display";
    g_bSaverMode = true;
    Seen seen;
    std::thread inspector(inspect_and_close, &seen, WPARAM(IDOK));
    show_control_menu(nullptr);
    inspector.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Control Menu");
    EXPECT_EQ(seen.okText, "OK");
    EXPECT_EQ(seen.okStyle & 0x0F, BS_DEFPUSHBUTTON);
    EXPECT_NE(seen.okRect.right, 0) << "OK button not at 43, 135, 50 by 16";
    EXPECT_EQ(seen.moduleKeys, "Enter - Next Module\nBackspace - Previous Module");
    EXPECT_EQ(seen.client.right, seen.expectedClient.right);
    EXPECT_EQ(seen.client.bottom, seen.expectedClient.bottom);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    const int width = seen.window.right - seen.window.left;
    const int height = seen.window.bottom - seen.window.top;
    EXPECT_EQ(seen.window.left, (desktop.right - width) / 2);
    EXPECT_EQ(seen.window.top, (desktop.bottom - height) / 2);
    EXPECT_TRUE(EqualRect(&seen.clip, &seen.window));
    EXPECT_TRUE(seen.nestedReturned);
    // Released again once the dialog is closed.
    RECT clip;
    GetClipCursor(&clip);
    EXPECT_FALSE(EqualRect(&clip, &seen.window));
}

TEST(ControlMenu, CancelClosesItAndTheDialogLeavesThePointerAlone) {
    if (!have_display())
        GTEST_SKIP() << "no display";
    g_bSaverMode = false;
    RECT before;
    GetClipCursor(&before);
    Seen seen;
    std::thread inspector(inspect_and_close, &seen, WPARAM(IDCANCEL));
    show_control_menu(nullptr);
    inspector.join();
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(EqualRect(&seen.clip, &before));
    g_bSaverMode = true;
}

} // namespace

// Dialogs are centred on the screen but kept inside the work area (the screen less the
// taskbar); on an axis where one is longer than the work area it starts at the area's edge,
// so its title bar and close button are always in reach.
TEST(CenterWindow, CentresInsideTheWorkAreaAndPutsAnOversizedDialogAtItsTopLeft) {
    const SIZE screen = {1024, 768};
    const RECT aboveBar = {0, 0, 1024, 728};   // taskbar along the bottom
    const RECT besideBar = {60, 0, 1024, 768}; // taskbar on the left
    const struct {
        RECT area;
        SIZE window;
        POINT expected;
    } cases[] = {
        {aboveBar, {400, 300}, {312, 234}},  // fits: centred on the screen
        {aboveBar, {400, 720}, {312, 8}},    // centred, it would reach under the taskbar
        {aboveBar, {400, 740}, {312, 0}},    // taller than the work area
        {besideBar, {1000, 300}, {60, 234}}, // wider than the work area
        {besideBar, {1200, 900}, {60, 0}},   // larger than the screen: not at -88, -66
        {{0, 0, 1024, 768}, {1024, 768}, {0, 0}},
    };
    for (const auto& c : cases) {
        const POINT at = centered_position(screen, c.area, c.window);
        EXPECT_EQ(at.x, c.expected.x) << c.window.cx << " x " << c.window.cy;
        EXPECT_EQ(at.y, c.expected.y) << c.window.cx << " x " << c.window.cy;
    }
}
