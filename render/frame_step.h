// One animation frame: pacing, drawing the module on screen and presenting it. Main thread,
// with the OpenGL context current.
#pragma once

#include <windows.h>

constexpr unsigned FRAME_INTERVAL_MS = 31;

// hwnd is the saver window or the settings dialog.
void frame_step(HWND hwnd);

// Ends any fade at once: angle 0, full brightness, state 0 (showing).
void fade_reset();
