// The saver window, full-screen or as a preview child of a host window, with its message
// loop, its close rules and the chain of frame messages that drives the animation. Main
// thread only.
#pragma once

#include <windows.h>

// Private frame message; always posted to the window itself with both parameters -1, and at
// most one is queued at a time.
constexpr UINT WM_SAVER_FRAME = 0x1D03;

// Cursor travel (horizontal plus vertical pixels) beyond which the full-screen saver closes.
constexpr int MOUSE_MOVE_THRESHOLD = 100;

constexpr const char* SAVER_CLASS_NAME = "WindowsScreenSaverClass";

extern HWND g_hSaverWnd;
extern bool g_bPreview;  // made as a child of a host window
extern bool g_bClosing;  // a close was allowed: input and paint go straight to DefWindowProcA
extern POINT g_ptCursor; // reference cursor position for the mouse-move rule

// Makes the window (full-screen when host is none), runs its message loop and returns the
// exit code: 0 after a normal end or when a full-screen saver already runs, -1 when no
// window could be made.
int run_saver_window(HWND host);

LRESULT CALLBACK saver_window_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT saver_app_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT saver_default_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// True when the cursor at p has moved more than the threshold from reference.
bool mouse_moved_far(POINT reference, POINT p);
