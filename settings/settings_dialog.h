// The settings dialog "Velta II Settings".
#pragma once

#include <windows.h>

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Checks the preview button of module index and unchecks the others; none for an index
// outside 1..20. Called on every frame of the dialog's preview.
void sync_preview_buttons(HWND dlg, int index);
