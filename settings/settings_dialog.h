// The settings dialog "Velta II Settings".
#pragma once

#include <windows.h>

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Checks the preview button of the module (1..20) and unchecks the other nineteen; any other
// index unchecks all of them.
void sync_preview_buttons(HWND dlg, int module);
