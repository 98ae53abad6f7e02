// Centring a window on the primary monitor.
#include "windows/dialogs/center_window.h"

void center_window(HWND hwnd) {
    // The primary monitor, not the whole desktop: with several monitors the desktop spans them
    // all, and its middle may fall on the gap between two of them.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT window;
    GetWindowRect(hwnd, &window);
    const int x = (screenWidth - (window.right - window.left)) / 2;
    const int y = (screenHeight - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}
