// Keyboard controls of the module on screen, in the full-screen saver and in the settings
// dialog's preview: the view controls (zoom, pan, rotations, speed, default view, next and
// previous module), the Control Menu, the parameter dump and quit. Main thread only, called
// from the frame loops.
#pragma once

#include "core/settings/view_controls.h" // the controls the keys stand for

#include <windows.h>

// Acts on key-down messages (WM_KEYDOWN and WM_SYSKEYDOWN) and ignores every other one; only
// the virtual key is read. Changes the live view values, the module on screen or g_bQuit, or
// opens a modal box. Does nothing in the saver's Display-settings preview. Returns 0.
LRESULT handle_view_key(HWND hwnd, UINT msg, WPARAM key, LPARAM data);
