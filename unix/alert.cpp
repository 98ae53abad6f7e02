// The Linux program's alert: one line on standard error, since a screen-saver hack has no one
// to click a box away.
#include "core/platform.h"
#include "unix/messages.h"

static void print_alert(const char* text, const char* caption, unsigned) {
    say("%s: %s", caption, text);
}

AlertFn g_pfnAlert = print_alert;
