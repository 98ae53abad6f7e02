// The Windows view keys: the virtual keys of the view controls, the Control Menu, the
// parameter dump and quit.
#include "windows/settings/view_keys.h"

#include "core/render/render_state.h"
#include "core/settings/view_controls.h"
#include "windows/dialogs/control_menu.h"
#include "windows/dialogs/message_box.h"
#include "windows/host/saver_window.h"

// While a modal box is open the saver sees no mouse movement; the pointer's place when the box
// closes becomes the new reference, so closing the box with the mouse does not end the saver.
static void renew_cursor_reference() {
    if (g_bSaverMode)
        GetCursorPos(&g_ptCursor);
}

static void show_view_params(HWND hwnd) {
    char text[500];
    format_view_params(text, sizeof text);
    g_pfnMessageBox(hwnd, text, "Params", MB_OK);
    renew_cursor_reference();
}

LRESULT handle_view_key(HWND hwnd, UINT msg, WPARAM key, LPARAM) {
    if (msg != WM_KEYDOWN && msg != WM_SYSKEYDOWN)
        return 0;
    if (g_bSaverMode && !g_bFullScreen)
        return 0; // the small preview inside the Display settings
    switch (key) {
    case VK_PRIOR:
    case VK_NUMPAD9:
        apply_view_control(ViewControl::ZoomOut);
        break;
    case VK_NEXT:
    case VK_NUMPAD3:
        apply_view_control(ViewControl::ZoomIn);
        break;
    case VK_UP:
    case VK_NUMPAD8:
        apply_view_control(ViewControl::PanUp);
        break;
    case VK_DOWN:
    case VK_NUMPAD2:
        apply_view_control(ViewControl::PanDown);
        break;
    case VK_LEFT:
    case VK_NUMPAD4:
        apply_view_control(ViewControl::PanLeft);
        break;
    case VK_RIGHT:
    case VK_NUMPAD6:
        apply_view_control(ViewControl::PanRight);
        break;
    case VK_F2:
        apply_view_control(ViewControl::TiltBack);
        break;
    case VK_F3:
        apply_view_control(ViewControl::TiltForward);
        break;
    case VK_F4:
        apply_view_control(ViewControl::TurnLeft);
        break;
    case VK_F5:
        apply_view_control(ViewControl::TurnRight);
        break;
    case VK_F6:
        apply_view_control(ViewControl::RollLeft);
        break;
    case VK_F7:
        apply_view_control(ViewControl::RollRight);
        break;
    case VK_F8:
        apply_view_control(ViewControl::Slower);
        break;
    case VK_F9:
        apply_view_control(ViewControl::Faster);
        break;
    case VK_HOME:
        apply_view_control(ViewControl::DefaultView);
        break;
    case VK_RETURN:
        apply_view_control(ViewControl::NextModule);
        break;
    case VK_BACK:
        apply_view_control(ViewControl::PreviousModule);
        break;
    case VK_F1:
        show_control_menu(hwnd);
        renew_cursor_reference();
        break;
    case VK_F11:
        show_view_params(hwnd);
        break;
    case VK_ESCAPE:
        g_bQuit = true;
        break;
    default:
        // In the saver any other key ends the run; in the settings dialog it does nothing.
        if (g_bSaverMode)
            g_bQuit = true;
        break;
    }
    return 0;
}
