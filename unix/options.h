// The Linux programs' command lines, in XScreenSaver's manner for hacks: where to draw, which
// modules, how long each, sound, and the frame-rate report. Plain values only.
#pragma once

#include "core/settings/options.h"

// Where a program draws.
enum class WindowKind {
    Own,       // a resizable window of the program's own; keys steer the view
    Root,      // velta2: the root window
    Given,     // velta2: a window made by someone else (XScreenSaver), by its id
    Saver,     // velta2-wayland: a surface over everything on every output, ended by input
    Wallpaper, // velta2-wayland: a surface under everything on every output, no input
};

// The module options shared with the page (core/settings/options.h), and where to draw.
struct Options : ModuleOptions {
    WindowKind window = WindowKind::Own;
    unsigned long windowId = 0;    // an X window id, for WindowKind::Given
    const char* display = nullptr; // -display; null for $DISPLAY (or $WAYLAND_DISPLAY)
};

// Reads argv[1..argc-1]: -root, -window, -window-id ID (decimal or 0x hexadecimal), -display
// NAME, -module N, -modules LIST ("1,3,5-7"), -no-NAME (module NAME left out, "-no-dorje-drak"),
// -cycle SECONDS, -sound, -no-sound, -fps, -stepped, -every-refresh; a double dash works as well as
// a single one. Without -module or -modules all twenty are enabled, less those left out (all left
// out: a black screen). xscreensaverWindow is $XSCREENSAVER_WINDOW (or null): XScreenSaver's
// window, drawn into unless -window or -window-id says otherwise. On a bad option or value, false
// with a one-line message naming it in error.
bool parse_options(int argc, const char* const* argv, const char* xscreensaverWindow,
                   Options* options, char (&error)[OPTION_ERROR_SIZE]);

// The usage text, one option per line.
extern const char* const USAGE;

// velta2-wayland's command line: the module options and -display as above, with -window (an
// application window), -wallpaper (under everything) or -saver (over everything, the default).
bool parse_wayland_options(int argc, const char* const* argv, Options* options,
                           char (&error)[OPTION_ERROR_SIZE]);
extern const char* const WAYLAND_USAGE;
