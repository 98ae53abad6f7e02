// Keyboard controls of the module on screen, in the full-screen saver and in the settings
// dialog's preview: zoom, pan, rotations, speed, default view, next and previous module, the
// Control Menu, the parameter dump and quit. Main thread only, called from the frame loops.
#pragma once

#include <windows.h>

#include <cstddef>

// Acts on key-down messages (WM_KEYDOWN and WM_SYSKEYDOWN) and ignores every other one; only
// the virtual key is read. Changes the live view values, the module on screen or g_bQuit, or
// opens a modal box. Does nothing in the saver's Display-settings preview. Returns 0.
LRESULT handle_view_key(HWND hwnd, UINT msg, WPARAM key, LPARAM data);

// Zoom step (Page Up, Page Down) and pan step (arrows) at a depth: whole fiftieths of the
// depth, or 0.3 and 0.1 below a depth of 50.
float zoom_step(float depth);
float pan_step(float depth);
// Holds a speed changed from the keyboard between SPEED_MIN and SPEED_MAX.
float limit_speed(float speed);
// The "Params" text of the seven live view values; returns the length written.
int format_view_params(char* text, size_t size);
