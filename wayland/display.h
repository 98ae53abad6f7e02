// velta2-wayland's connection: the compositor's globals, its outputs, one surface on each output
// (the saver over everything, the wallpaper under everything) or one window, and the EGL context
// every surface shares, so that the scenes' per-context state exists once. Main thread only.
#pragma once

#include "unix/options.h"

#include <vector>

struct Surface;

// Connects to the display (null: $WAYLAND_DISPLAY), finds what kind needs and makes the EGL
// context. False after a one-line message on standard error, with nothing left open.
bool open_display(const char* display, WindowKind kind);
// Releases the context (and the scenes' state in it), the surfaces and the connection.
void close_display();
// The display's name, for messages.
const char* display_name();

// Sends what is queued, waits up to timeoutMs for the compositor (less when a signal comes) and
// handles what it sent: outputs coming and going, sizes, frame callbacks, input. False when the
// connection is lost.
bool wait_display(int timeoutMs);
// True once the compositor asked to close the window. A saver or wallpaper left without
// outputs waits for the next one.
bool display_closed();

// The surfaces the compositor has sized and is ready to show a new frame on (its frame callback
// for the last one came).
std::vector<Surface*> ready_surfaces();
// Asks the compositor to say when surface is ready for the next refresh, with no new frame on it:
// a refresh passed by under the cap of frames a second.
void skip_refresh(Surface* surface);
// Makes the shared context current on surface with the viewport and projection of its size in
// pixels; present_frame (core/platform.h) then shows what is drawn on it.
bool use_surface(Surface* surface);
// The window between full screen and its own size; nothing for the layer surfaces.
void toggle_full_screen();
