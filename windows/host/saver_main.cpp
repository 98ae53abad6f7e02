// Process entry: reads Windows' screen-saver switch and runs the settings dialog, the
// full-screen saver, the preview in a host window or the password change.
#include "windows/host/saver_main.h"

#include "windows/dialogs/settings_dialog.h"
#include "windows/host/command_line.h"
#include "windows/host/fault_guard.h"
#include "windows/host/password.h"
#include "windows/host/saver_window.h"
#include "windows/render/timer_period.h"
#include "windows/resources/dialog_ids.h"

#include <commctrl.h>

HINSTANCE g_hInst;
bool g_bWin9x;

static bool detect_win9x() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// A nonzero handle that names an existing window, else none.
static HWND existing_window(uint32_t handle) {
    HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    return handle != 0 && IsWindow(hwnd) ? hwnd : nullptr;
}

int show_settings_dialog(HWND owner) {
    // The seconds spin is a common control; its class must exist before the dialog is made.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    const INT_PTR result =
        DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_SETTINGS), owner, settings_dialog_proc, 0);
    return_timer_period(); // however the dialog ended
    return static_cast<int>(result);
}

static int run_mode(void* arg) {
    const RunRequest request = parse_switch(static_cast<const char*>(arg));
    switch (request.mode) {
    case RunMode::Settings:
        return show_settings_dialog(nullptr);
    case RunMode::SettingsForeground:
        return show_settings_dialog(GetForegroundWindow());
    case RunMode::Saver:
        return run_saver_window(nullptr);
    case RunMode::Preview:
        if (HWND host = existing_window(request.handle))
            return run_saver_window(host);
        return -1;
    case RunMode::ChangePassword:
        if (!g_bWin9x)
            return -1;
        if (HWND owner = existing_window(request.handle))
            change_password(owner);
        else
            change_password(GetForegroundWindow());
        return 0;
    case RunMode::Invalid:
        break;
    }
    return -1;
}

static void on_fault() {
    set_saver_running(false);
}

int saver_main(HINSTANCE instance, const char* tail) {
    g_hInst = instance;
    g_bWin9x = detect_win9x();
    return run_guarded(run_mode, const_cast<char*>(tail), on_fault);
}
