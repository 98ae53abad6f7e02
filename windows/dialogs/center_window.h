// Centring a dialog on the primary monitor (the whole desktop on a single monitor): shared by the
// settings dialog, the Control Menu and the About box.
#pragma once

#include <windows.h>

// The top left corner for a window of the given size: centred on the screen (its size, from
// 0,0), then moved inside the work area (the screen less the taskbar); on an axis where the
// window is longer than the work area, the work area's left or top edge.
POINT centered_position(SIZE screen, const RECT& workArea, SIZE window);

// Moves the window to centered_position on the primary monitor, keeps its size, puts it on top
// and shows it.
void center_window(HWND hwnd);
