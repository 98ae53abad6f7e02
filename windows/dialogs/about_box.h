// The About box (dialog 100): product, version, what it is, OK.
#pragma once

#include <windows.h>

// Shows the About box modally, owned by owner, centred on the desktop. Changes no setting.
void show_about_box(HWND owner);

INT_PTR CALLBACK about_box_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
