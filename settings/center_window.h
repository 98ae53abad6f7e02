// Centring a dialog on the desktop; shared by the settings dialog, the Control Menu and the
// About box.
#pragma once

#include <windows.h>

// Moves hwnd so that it is centred on the desktop, on top, its size unchanged, and shows it.
void center_window(HWND hwnd);
