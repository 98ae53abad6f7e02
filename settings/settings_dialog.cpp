// The settings dialog. For now it offers only OK and Cancel, and neither changes a setting.
#include "settings/settings_dialog.h"

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// The dialog has no preview buttons yet, so there is nothing to check.
void sync_preview_buttons(HWND, int) {}
