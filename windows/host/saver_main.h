// Process entry and run modes of the screen saver.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInst; // the program's module: every resource is looked up through it
extern bool g_bWin9x;     // running on the Windows 9x platform

// Runs the mode that tail selects and returns the process exit code.
int saver_main(HINSTANCE instance, const char* tail);

// The settings dialog (resource 2003); its end code, or -1 when it cannot be created.
int show_settings_dialog(HWND owner);
