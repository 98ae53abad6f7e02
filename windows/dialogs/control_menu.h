// The "Control Menu" dialog that F1 opens: a list of the view keys with an OK button.
// Main thread only.
#pragma once

#include <windows.h>

// Shows the Control Menu modally, owned by the window, and returns when it is closed; returns
// at once when one is already open.
void show_control_menu(HWND owner);

INT_PTR CALLBACK control_menu_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
