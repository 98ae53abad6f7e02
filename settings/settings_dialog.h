// The settings dialog "Velta II Settings".
#pragma once

#include <windows.h>

INT_PTR CALLBACK settings_dialog_proc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
