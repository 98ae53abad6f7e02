// The full-screen saver on several monitors: the module is drawn once, in the primary
// monitor's part of the window, and that picture is copied, scaled to fit with its shape kept,
// onto every other monitor. Main thread only, with the OpenGL context current.
#pragma once

constexpr int MAX_MONITOR_COPIES = 15;

// A rectangle in screen pixels: x to the right, y down, as the window system gives it.
struct ScreenRect {
    int x, y, w, h;
};

// A rectangle in the window's OpenGL pixels: x to the right, y up from the bottom edge.
struct GlRect {
    int x, y, w, h;
};

// One scaled copy of the primary monitor's picture: its lower left corner and its zoom.
struct MonitorCopy {
    int x, y;
    float zoom;
};

struct MonitorLayout {
    int width, height; // the window's
    GlRect primary;    // where the module is drawn
    int copyCount;     // 0 on a single monitor: nothing is copied
    MonitorCopy copies[MAX_MONITOR_COPIES];
};

// The layout of a window covering the rectangle window, for the given monitors, of which
// monitors[primary] is the primary one. Each copy is as large as fits the monitor's shape
// and is centred on it; what it leaves free stays black. Monitors beyond MAX_MONITOR_COPIES
// other ones, and monitors of no size, get no copy.
MonitorLayout plan_monitor_layout(ScreenRect window, const ScreenRect* monitors, int count,
                                  int primary);

// The layout the saver draws with; no copies until the saver window sets one.
extern MonitorLayout g_MonitorLayout;

// Copies the primary monitor's picture in the back buffer onto every other monitor, before the
// frame is shown. Does nothing on a single monitor.
void copy_to_other_monitors();
