// The Control Menu dialog. In the saver the pointer is hidden, so it is shown and held inside
// the dialog while the dialog is open, and hidden and released again when it closes.
#include "windows/dialogs/control_menu.h"

#include "core/render/render_state.h"
#include "windows/dialogs/center_window.h"
#include "windows/host/saver_main.h"
#include "windows/resources/dialog_ids.h"

static bool g_bControlMenuOpen;

void show_control_menu(HWND owner) {
    if (g_bControlMenuOpen)
        return;
    g_bControlMenuOpen = true;
    DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_CONTROL_MENU), owner, control_menu_proc, 0);
    g_bControlMenuOpen = false;
}

INT_PTR CALLBACK control_menu_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        center_window(dlg);
        SetFocus(GetDlgItem(dlg, IDOK));
        if (g_bSaverMode) {
            ShowCursor(TRUE);
            RECT rect;
            GetWindowRect(dlg, &rect);
            ClipCursor(&rect);
        }
        return FALSE; // the focus was set here
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return TRUE;
        if (g_bSaverMode) {
            ShowCursor(FALSE);
            ClipCursor(nullptr);
        }
        EndDialog(dlg, 1);
        return FALSE;
    }
    return FALSE;
}
