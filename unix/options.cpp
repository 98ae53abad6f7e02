// Parsing the Linux programs' command lines.
#include "unix/options.h"

#include <cstdio>
#include <cstring>

// The options both programs take, after each one's own places to draw.
#define MODULE_OPTIONS_USAGE                                                                       \
    "  -module N        show only module N (1 to 20)\n"                                            \
    "  -modules LIST    show the modules listed, such as 1,3,5-7 (default: all twenty)\n"          \
    "  -no-NAME         leave out module NAME, in lower case with - for a space: -no-shechen,\n"   \
    "                   -no-dorje-drak; any number of them, also with -module or -modules\n"       \
    "  -cycle SECONDS   seconds each module is shown (1 to 9999, default 15)\n"                    \
    "  -sound           play the tune; -no-sound keeps quiet (the default)\n"                      \
    "  -fps             print the frames drawn each second\n"

const char* const USAGE =
    "usage: velta2 [-root | -window | -window-id ID] [-display NAME]\n"
    "              [-module N | -modules LIST] [-no-NAME ...] [-cycle SECONDS]\n"
    "              [-sound | -no-sound] [-fps] [-stepped | -every-refresh]\n"
    "  -root            draw on the root window\n"
    "  -window          draw in a window of its own (the default)\n"
    "  -window-id ID    draw into the window ID (decimal or 0x hexadecimal)\n" MODULE_OPTIONS_USAGE
    "  -stepped         one frame per 31 ms step, not frames at the display's rate\n"
    "  -every-refresh   a frame at every refresh, also above 75 Hz\n";

const char* const WAYLAND_USAGE =
    "usage: velta2-wayland [-saver | -wallpaper | -window] [-display NAME]\n"
    "              [-module N | -modules LIST] [-no-NAME ...] [-cycle SECONDS]\n"
    "              [-sound | -no-sound] [-fps] [-stepped | -every-refresh]\n"
    "  -saver           cover every output until a key, a button or the pointer moves (default)\n"
    "  -wallpaper       draw under everything on every output until a signal\n"
    "  -window          draw in a window of its own; F toggles full screen\n"
    "  -display NAME    the Wayland display (default: $WAYLAND_DISPLAY)\n" MODULE_OPTIONS_USAGE
    "  -stepped         one frame per 31 ms step, not a frame at each refresh of the output\n"
    "  -every-refresh   a frame at every refresh, also above 75 Hz\n";

// The places each program knows by name; the rest of a command line is the same for both.
static bool read_place(bool wayland, const char* name, Options& o) {
    static const struct {
        const char* name;
        bool wayland;
        WindowKind kind;
    } PLACES[] = {{"-root", false, WindowKind::Root},
                  {"-window", false, WindowKind::Own},
                  {"-window", true, WindowKind::Own},
                  {"-saver", true, WindowKind::Saver},
                  {"-wallpaper", true, WindowKind::Wallpaper}};
    for (const auto& place : PLACES) {
        if (place.wayland == wayland && std::strcmp(name, place.name) == 0) {
            o.window = place.kind;
            return true;
        }
    }
    return false;
}

static bool parse(bool wayland, int argc, const char* const* argv, const char* xscreensaverWindow,
                  Options* options, char (&error)[OPTION_ERROR_SIZE]) {
    Options o;
    if (wayland)
        o.window = WindowKind::Saver;
    ModuleOptionReader modules;
    bool placeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* name = arg[0] == '-' && arg[1] == '-' ? arg + 1 : arg;
        const bool takesValue = (!wayland && std::strcmp(name, "-window-id") == 0) ||
                                std::strcmp(name, "-display") == 0 ||
                                module_option_takes_value(name);
        const char* value = takesValue && i + 1 < argc ? argv[i + 1] : nullptr;
        if (takesValue && !value) {
            std::snprintf(error, sizeof error, "option %s needs a value", arg);
            return false;
        }
        long n = 0;
        bool ok = true;
        if (read_place(wayland, name, o)) {
            placeGiven = true;
        } else if (!wayland && std::strcmp(name, "-window-id") == 0) {
            ok = read_number(value, 1, 0xFFFFFFFFL, true, &n);
            o.window = WindowKind::Given;
            o.windowId = static_cast<unsigned long>(n);
            placeGiven = true;
        } else if (std::strcmp(name, "-display") == 0) {
            o.display = value;
        } else {
            const OptionRead read = read_module_option(modules, name, value);
            if (read == OptionRead::Unknown) {
                std::snprintf(error, sizeof error, "unknown option %s", arg);
                return false;
            }
            ok = read == OptionRead::Taken;
        }
        if (!ok) {
            std::snprintf(error, sizeof error, "bad value for %s: %s", arg, value);
            return false;
        }
        if (value)
            ++i;
    }
    static_cast<ModuleOptions&>(o) = finish_module_options(modules);
    // XScreenSaver runs a hack with -root and names its own window in the environment.
    long id = 0;
    if (xscreensaverWindow && *xscreensaverWindow &&
        (!placeGiven || o.window == WindowKind::Root)) {
        if (!read_number(xscreensaverWindow, 1, 0xFFFFFFFFL, true, &id)) {
            std::snprintf(error, sizeof error, "bad XSCREENSAVER_WINDOW: %s", xscreensaverWindow);
            return false;
        }
        o.window = WindowKind::Given;
        o.windowId = static_cast<unsigned long>(id);
    }
    *options = o;
    return true;
}

bool parse_options(int argc, const char* const* argv, const char* xscreensaverWindow,
                   Options* options, char (&error)[OPTION_ERROR_SIZE]) {
    return parse(false, argc, argv, xscreensaverWindow, options, error);
}

bool parse_wayland_options(int argc, const char* const* argv, Options* options,
                           char (&error)[OPTION_ERROR_SIZE]) {
    return parse(true, argc, argv, nullptr, options, error);
}
