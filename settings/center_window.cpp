// Centring a window on the desktop.
#include "settings/center_window.h"

void center_window(HWND hwnd) {
    RECT desktop, window;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(hwnd, &window);
    const int x = (desktop.right - (window.right - window.left)) / 2;
    const int y = (desktop.bottom - (window.bottom - window.top)) / 2;
    SetWindowPos(hwnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}
