// Parsing the Linux program's command line.
#include "linux/options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const USAGE =
    "usage: velta2 [-root | -window | -window-id ID] [-display NAME]\n"
    "              [-module N | -modules LIST] [-no-NAME ...] [-cycle SECONDS]\n"
    "              [-sound | -no-sound] [-fps]\n"
    "  -root            draw on the root window\n"
    "  -window          draw in a window of its own (the default)\n"
    "  -window-id ID    draw into the window ID (decimal or 0x hexadecimal)\n"
    "  -module N        show only module N (1 to 20)\n"
    "  -modules LIST    show the modules listed, such as 1,3,5-7 (default: all twenty)\n"
    "  -no-NAME         leave out module NAME, in lower case with - for a space: -no-shechen,\n"
    "                   -no-dorje-drak; any number of them, also with -module or -modules\n"
    "  -cycle SECONDS   seconds each module is shown (1 to 9999, default 15)\n"
    "  -sound           play the tune; -no-sound keeps quiet (the default)\n"
    "  -fps             print the frames drawn each second\n";

namespace {

// A whole number in [low, high], in decimal or, where hex is set, also in 0x hexadecimal;
// nothing before or after it.
bool read_number(const char* text, long low, long high, bool hex, long* value) {
    int base = 10;
    if (hex && text && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (!text || !*text || *text == '-' || *text == '+' || *text == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(text, &end, base);
    if (errno != 0 || *end != '\0' || n < static_cast<unsigned long long>(low) ||
        n > static_cast<unsigned long long>(high))
        return false;
    *value = static_cast<long>(n);
    return true;
}

// "1,3,5-7": single modules and ranges, each within 1..20.
bool read_module_list(const char* text, bool (&modules)[MODULE_COUNT + 1]) {
    bool any = false;
    bool chosen[MODULE_COUNT + 1] = {};
    const char* p = text;
    for (;;) {
        char item[16];
        const size_t length = std::strcspn(p, ",");
        if (length == 0 || length >= sizeof item)
            return false;
        std::memcpy(item, p, length);
        item[length] = '\0';
        long first, last;
        char* dash = std::strchr(item, '-');
        if (dash) {
            *dash = '\0';
            if (!read_number(item, 1, MODULE_COUNT, false, &first) ||
                !read_number(dash + 1, 1, MODULE_COUNT, false, &last) || first > last)
                return false;
        } else if (!read_number(item, 1, MODULE_COUNT, false, &first)) {
            return false;
        } else {
            last = first;
        }
        for (long k = first; k <= last; ++k)
            chosen[k] = any = true;
        p += length;
        if (*p == '\0')
            break;
        ++p; // the comma; a trailing one leaves an empty item, refused above
    }
    std::memcpy(modules, chosen, sizeof chosen);
    return any;
}

// The module that "-no-NAME" leaves out, from the NAME part: its name in lower case with a dash
// for each space ("dorje-drak"); 0 for none.
int module_of_option_name(const char* text) {
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        const char* name = module_name(k);
        size_t i = 0;
        while (name[i] && text[i] &&
               (name[i] == ' ' ? text[i] == '-'
                               : std::tolower(static_cast<unsigned char>(name[i])) == text[i]))
            ++i;
        if (!name[i] && !text[i])
            return k;
    }
    return 0;
}

} // namespace

bool parse_options(int argc, const char* const* argv, const char* xscreensaverWindow,
                   Options* options, char (&error)[OPTION_ERROR_SIZE]) {
    Options o;
    bool modulesGiven = false, placeGiven = false;
    bool leftOut[MODULE_COUNT + 1] = {}; // by -no-NAME, whatever the order of the options
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* name = arg[0] == '-' && arg[1] == '-' ? arg + 1 : arg;
        const bool takesValue =
            std::strcmp(name, "-window-id") == 0 || std::strcmp(name, "-display") == 0 ||
            std::strcmp(name, "-module") == 0 || std::strcmp(name, "-modules") == 0 ||
            std::strcmp(name, "-cycle") == 0;
        const char* value = takesValue && i + 1 < argc ? argv[i + 1] : nullptr;
        if (takesValue && !value) {
            std::snprintf(error, sizeof error, "option %s needs a value", arg);
            return false;
        }
        long n = 0;
        bool ok = true;
        if (std::strcmp(name, "-root") == 0) {
            o.window = WindowKind::Root;
            placeGiven = true;
        } else if (std::strcmp(name, "-window") == 0) {
            o.window = WindowKind::Own;
            placeGiven = true;
        } else if (std::strcmp(name, "-window-id") == 0) {
            ok = read_number(value, 1, 0xFFFFFFFFL, true, &n);
            o.window = WindowKind::Given;
            o.windowId = static_cast<Window>(n);
            placeGiven = true;
        } else if (std::strcmp(name, "-display") == 0) {
            o.display = value;
        } else if (std::strcmp(name, "-module") == 0) {
            ok = read_number(value, 1, MODULE_COUNT, false, &n);
            if (ok) {
                std::memset(o.modules, 0, sizeof o.modules);
                o.modules[n] = true;
            }
            modulesGiven = true;
        } else if (std::strcmp(name, "-modules") == 0) {
            ok = read_module_list(value, o.modules);
            modulesGiven = true;
        } else if (std::strcmp(name, "-cycle") == 0) {
            ok = read_number(value, CYCLE_SECONDS_MIN, CYCLE_SECONDS_MAX, false, &n);
            o.cycleSeconds = static_cast<int>(n);
        } else if (std::strcmp(name, "-sound") == 0) {
            o.sound = true;
        } else if (std::strcmp(name, "-no-sound") == 0) {
            o.sound = false;
        } else if (std::strcmp(name, "-fps") == 0) {
            o.fps = true;
        } else if (std::strncmp(name, "-no-", 4) == 0 && module_of_option_name(name + 4)) {
            leftOut[module_of_option_name(name + 4)] = true;
        } else {
            std::snprintf(error, sizeof error, "unknown option %s", arg);
            return false;
        }
        if (!ok) {
            std::snprintf(error, sizeof error, "bad value for %s: %s", arg, value);
            return false;
        }
        if (value)
            ++i;
    }
    // XScreenSaver's settings dialog has a box for each module and names the unticked ones.
    // With every box unticked the screen stays black, as the Windows saver's does.
    for (int k = 1; k <= MODULE_COUNT; ++k)
        o.modules[k] = (o.modules[k] || !modulesGiven) && !leftOut[k];
    // XScreenSaver runs a hack with -root and names its own window in the environment.
    long id = 0;
    if (xscreensaverWindow && *xscreensaverWindow &&
        (!placeGiven || o.window == WindowKind::Root)) {
        if (!read_number(xscreensaverWindow, 1, 0xFFFFFFFFL, true, &id)) {
            std::snprintf(error, sizeof error, "bad XSCREENSAVER_WINDOW: %s", xscreensaverWindow);
            return false;
        }
        o.window = WindowKind::Given;
        o.windowId = static_cast<Window>(id);
    }
    *options = o;
    return true;
}
