/* Test helper of the Linux system tests: a window made the way XScreenSaver makes the one it
 * hands a hack, and the window manager's close request sent to a window. */
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* "host WIDTH HEIGHT": maps a window of the default visual, prints its id and keeps it until
 * standard input ends; a line "destroy" destroys it first and answers "destroyed". */
static int host(Display* display, int width, int height) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes;
    attributes.background_pixel = BlackPixel(display, screen);
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel, &attributes);
    XStoreName(display, window, "velta test host");
    XMapWindow(display, window);
    XSync(display, False);
    printf("%lu\n", window);
    fflush(stdout);
    char line[64];
    while (fgets(line, sizeof line, stdin)) {
        if (strcmp(line, "destroy\n") == 0) {
            XDestroyWindow(display, window);
            XSync(display, False);
            puts("destroyed");
            fflush(stdout);
        }
    }
    return 0;
}

/* "close ID": what a window manager sends when the user closes the window. */
static int close_window(Display* display, Window window) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
}

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fputs("window_tool: cannot open the display\n", stderr);
        return 2;
    }
    if (argc == 4 && strcmp(argv[1], "host") == 0)
        return host(display, atoi(argv[2]), atoi(argv[3]));
    if (argc == 3 && strcmp(argv[1], "close") == 0)
        return close_window(display, strtoul(argv[2], NULL, 0));
    fputs("usage: window_tool host WIDTH HEIGHT | window_tool close ID\n", stderr);
    return 2;
}
