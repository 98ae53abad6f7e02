// The About box: a modal dialog that shows the product name and the build's version.
#include "settings/about_box.h"

#include "host/saver_main.h"
#include "resources/resource_ids.h"
#include "settings/center_window.h"
#include "velta_version.h"

void show_about_box(HWND owner) {
    DialogBoxParamA(g_hInst, MAKEINTRESOURCEA(IDD_ABOUT), owner, about_box_proc, 0);
}

INT_PTR CALLBACK about_box_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dlg, IDC_ABOUT_VERSION, "Version " VELTA_VERSION_TEXT);
        center_window(dlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(dlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
