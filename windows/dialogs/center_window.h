// Centring a dialog on the primary monitor (the whole desktop on a single monitor): shared by the
// settings dialog, the Control Menu and the About box.
#pragma once

#include <windows.h>

// Moves the window so that it is centred on the primary monitor, keeps its size, puts it on top and
// shows it.
void center_window(HWND hwnd);
