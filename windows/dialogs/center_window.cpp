// Centring a window on the primary monitor, kept inside its work area.
#include "windows/dialogs/center_window.h"

// One axis: centred on the screen, then moved inside the work area; a window longer than the
// work area starts at its near edge, so that its title bar and close button stay in reach.
static int place_on_axis(int screen, int areaStart, int areaEnd, int size) {
    const int centred = (screen - size) / 2;
    if (centred + size > areaEnd)
        return areaEnd - size < areaStart ? areaStart : areaEnd - size;
    return centred < areaStart ? areaStart : centred;
}

POINT centered_position(SIZE screen, const RECT& workArea, SIZE window) {
    return {place_on_axis(screen.cx, workArea.left, workArea.right, window.cx),
            place_on_axis(screen.cy, workArea.top, workArea.bottom, window.cy)};
}

void center_window(HWND hwnd) {
    // The primary monitor, not the whole desktop: with several monitors the desktop spans them
    // all, and its middle may fall on the gap between two of them.
    const SIZE screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT workArea = {0, 0, screen.cx, screen.cy};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    RECT window;
    GetWindowRect(hwnd, &window);
    const POINT at = centered_position(screen, workArea,
                                       {window.right - window.left, window.bottom - window.top});
    SetWindowPos(hwnd, HWND_TOP, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}
