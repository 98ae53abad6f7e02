// The view key table and the actions behind it.
#include "settings/view_keys.h"

#include "host/saver_window.h"
#include "render/frame_step.h"
#include "render/render_state.h"
#include "settings/control_menu.h"
#include "settings/module_params.h"
#include "settings/message_box.h"
#include "settings/settings_dialog.h"

#include <cmath>
#include <climits>
#include <cstdio>

constexpr float ROTATE_STEP = 1.5f;
constexpr float SPEED_STEP = 0.125f;

// The depth truncated to a whole number, in whole fifties. A depth beyond the integer range
// counts as the largest one, so that zooming on and on keeps moving by large steps.
static int depth_fifties(float depth) {
    const double whole = std::trunc(static_cast<double>(depth));
    if (std::isnan(whole))
        return 0;
    if (whole >= INT_MAX)
        return INT_MAX / 50;
    if (whole <= INT_MIN)
        return INT_MIN / 50;
    return static_cast<int>(whole) / 50;
}

float zoom_step(float depth) {
    const int n = depth_fifties(depth);
    return n >= 1 ? static_cast<float>(n) : 0.3f;
}

float pan_step(float depth) {
    const int n = depth_fifties(depth);
    return n >= 1 ? static_cast<float>(n) : 0.1f;
}

float limit_speed(float speed) {
    if (speed > SPEED_MAX)
        return SPEED_MAX;
    if (speed < SPEED_MIN)
        return SPEED_MIN;
    return speed;
}

int format_view_params(char* text, size_t size) {
    return std::snprintf(text, size,
                         "g_fDepth %f\ng_fHorz  %f\ng_fVert  %f\ng_fXrot  %f\ng_fYrot  %f\n"
                         "g_fZrot  %f\ng_fSpeed %f\n",
                         g_fDepth, g_fHorz, g_fVert, g_fXrot, g_fYrot, g_fZrot, g_fSpeed);
}

// Enter and Backspace: the view on screen goes into its record, the other module comes on at
// full brightness with its whole cycle time ahead of it.
static void switch_module(HWND hwnd, bool forward) {
    store_module_params(g_nModule);
    g_nModule = forward ? next_enabled_module(g_nModule) : prev_enabled_module(g_nModule);
    load_module_params(g_nModule);
    g_dwCycleStart = GetTickCount();
    fade_reset();
    if (!g_bSaverMode)
        sync_preview_buttons(hwnd, g_nModule);
}

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
        g_fDepth += zoom_step(g_fDepth);
        break;
    case VK_NEXT:
    case VK_NUMPAD3:
        g_fDepth -= zoom_step(g_fDepth);
        break;
    case VK_UP:
    case VK_NUMPAD8:
        g_fVert += pan_step(g_fDepth);
        break;
    case VK_DOWN:
    case VK_NUMPAD2:
        g_fVert -= pan_step(g_fDepth);
        break;
    case VK_LEFT:
    case VK_NUMPAD4:
        g_fHorz -= pan_step(g_fDepth);
        break;
    case VK_RIGHT:
    case VK_NUMPAD6:
        g_fHorz += pan_step(g_fDepth);
        break;
    case VK_F2:
        g_fXrot -= ROTATE_STEP;
        break;
    case VK_F3:
        g_fXrot += ROTATE_STEP;
        break;
    case VK_F4:
        g_fYrot -= ROTATE_STEP;
        break;
    case VK_F5:
        g_fYrot += ROTATE_STEP;
        break;
    case VK_F6: // the z pair turns the other way round from the x and y pairs
        g_fZrot += ROTATE_STEP;
        break;
    case VK_F7:
        g_fZrot -= ROTATE_STEP;
        break;
    case VK_F8:
        g_fSpeed = limit_speed(g_fSpeed - SPEED_STEP);
        break;
    case VK_F9:
        g_fSpeed = limit_speed(g_fSpeed + SPEED_STEP);
        break;
    case VK_HOME:
        restore_module_defaults(g_nModule);
        break;
    case VK_RETURN:
        switch_module(hwnd, true);
        break;
    case VK_BACK:
        switch_module(hwnd, false);
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
