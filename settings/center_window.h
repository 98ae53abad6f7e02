// Centring a dialog on the desktop: shared by the settings dialog, the Control Menu and the
// About box.
#pragma once

#include <windows.h>

// Moves the window so that it is centred on the desktop, keeps its size, puts it on top and
// shows it.
void center_window(HWND hwnd);
