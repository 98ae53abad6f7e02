// The Linux program's window: the X display, the window it draws in (its own, the root window
// or a window it was given), the GLX context on it, and its events. Main thread only.
#pragma once

#include "unix/options.h" // WindowKind

#include <X11/Xlib.h>

// Called on the main thread, from inside whichever X call found it, when the connection to the
// display breaks (the X server ended or went out of reach), with the display's name. It must end
// the process without touching the display or OpenGL again; if it is null or returns, Xlib's
// own handler prints its message and exits.
extern void (*g_pfnDisplayLost)(const char* display);

// Opens the display (null: $DISPLAY) and the window, and makes an OpenGL context current on it:
// on a window of someone else's in that window's own visual, on its own window in a double-
// buffered RGBA visual with depth. Shows its own window. False after a one-line message on
// standard error, with nothing left open.
bool open_gl_window(const char* display, WindowKind kind, Window given);
// Releases the context, destroys the program's own window and closes the display.
void close_gl_window();
// The drawing window's size in pixels.
void gl_window_size(int* width, int* height);

// The refresh rate of the display the window is on, in Hz, from XRandR: the mode of the first
// active output on the window's screen. 0 when the server says none.
double display_refresh_rate();
// Asks the driver to let each buffer swap wait for the nth refresh (GLX_EXT_swap_control, or
// GLX_MESA_swap_control); false when it offers neither.
bool set_swap_interval(int n);

struct WindowEvent {
    enum Type {
        Resized, // the window has a new size: width, height
        Key,     // a key pressed in the program's own window: key
        Closed,  // the window was closed or destroyed
    } type;
    int width, height;
    KeySym key;
};

// The next pending event the program acts on; false when none is pending. Never waits.
bool next_window_event(WindowEvent* event);
