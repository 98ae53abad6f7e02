// Settings persistence under HKEY_CURRENT_USER. Main thread only.
#pragma once

#include <windows.h>

constexpr const char* SETTINGS_KEY = "Software\\Quillon\\Velta II";

// Selects the key path every following registry operation opens; the window's class name is
// the class given to a key that an operation creates.
void reg_set_key(HWND hwnd, const char* path);
// The complete settings load: defaults, stored values, write-back, first enabled module.
void load_settings(HWND hwnd);
// Writes every module record, the cycle time and the sound switch.
void save_settings();
