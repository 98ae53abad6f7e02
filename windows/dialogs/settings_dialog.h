// The settings dialog "Velta II Settings" (dialog 2003): enable boxes, preview buttons, the
// seconds box with its spin, the sound box, and a live preview of one module on its panel.
// Everything runs on the dialog's thread; the preview is a chain of WM_SAVER_FRAME messages
// handled inside the dialog procedure, which also dispatches the dialog's other messages.
#pragma once

#include <windows.h>

// True while the seconds box is being edited: the preview then leaves key messages to the
// normal dispatch so that digits reach the box.
extern bool g_bEditTyping;

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// The control set-up of WM_INITDIALOG; true when the preview's OpenGL context was created.
bool init_settings_dialog(HWND dlg);
// WM_COMMAND: the dialog procedure's result.
INT_PTR settings_command(HWND dlg, WPARAM wParam, LPARAM lParam);
// WM_VSCROLL and WM_HSCROLL from the seconds spin: the dialog procedure's result.
INT_PTR settings_spin(HWND dlg, WPARAM wParam, LPARAM lParam);

// Checks the preview button of module index and unchecks the others; none for an index
// outside 1..20. Called on every frame of the dialog's preview.
void sync_preview_buttons(HWND dlg, int module);
