// Display power notifications: the saver window hears when the display is turned off and on
// again, so that it draws nothing while nobody can see it. Main thread only.
#pragma once

#include <windows.h>

// What a WM_POWERBROADCAST says about the display.
enum class DisplayPower { Unrelated, Off, On };

// Asks the system to tell hwnd about display power changes. Does nothing on systems without
// power setting notifications; the display then always counts as on.
void register_display_power(HWND hwnd);
// Stops the notifications; safe to call when none were asked for, and more than once.
void unregister_display_power();

// Reads a WM_POWERBROADCAST's parameters: a display state change (off, or on or dimmed) or
// anything else. A block of another setting, or one too short to hold a state, is unrelated.
DisplayPower read_display_power(WPARAM wParam, LPARAM lParam);
