// The About box: a modal dialog that shows the product name and the build's version.
#include "windows/dialogs/about_box.h"

#include "velta_version.h"
#include "windows/dialogs/center_window.h"
#include "windows/host/saver_main.h"
#include "windows/resources/dialog_ids.h"

static HICON g_hAboutIcon; // the icon drawn at the box's DPI while the box is open

// The DPI of the monitor the window is on; the system's before Windows 10, which tells no other.
static int window_dpi(HWND hwnd) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto get = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32"), "GetDpiForWindow")));
    if (get)
        return static_cast<int>(get(hwnd));
    HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return dpi;
}

// The template's icon control shows the system's icon size, which belongs to the DPI Windows
// started with; the box shows the icon file's own image for its monitor's DPI instead (64
// pixels at 200 %), and the control takes that size.
static void show_icon_for_dpi(HWND dlg) {
    const int size = MulDiv(32, window_dpi(dlg), 96);
    g_hAboutIcon = static_cast<HICON>(
        LoadImageA(g_hInst, MAKEINTRESOURCEA(IDI_VELTA), IMAGE_ICON, size, size, 0));
    for (HWND c = GetWindow(dlg, GW_CHILD); c && g_hAboutIcon; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            SendMessageA(c, STM_SETICON, reinterpret_cast<WPARAM>(g_hAboutIcon), 0);
}

void show_about_box(HWND owner) {
    DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_ABOUT), owner, about_box_proc, 0);
}

INT_PTR CALLBACK about_box_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dlg, IDC_ABOUT_VERSION, "Version " VELTA_VERSION_TEXT);
        show_icon_for_dpi(dlg);
        center_window(dlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    case WM_DESTROY:
        // The control does not own an icon it was given; the template's own icon is shared.
        if (g_hAboutIcon)
            DestroyIcon(g_hAboutIcon);
        g_hAboutIcon = nullptr;
        return FALSE;
    }
    return FALSE;
}
