/* A test-only libXinerama.so.1 for the several-monitor system tests: Wine reads its monitor
 * list from Xinerama when the X server has no RANDR, and this one reports the heads named in
 * VELTA_TEST_HEADS ("800x600+640+0,640x360+0+120": width x height + x + y, the primary first)
 * on one wide Xvfb screen. Built by the tests with the host compiler; never installed. */
#include <stdio.h>
#include <stdlib.h>

typedef struct _XDisplay Display;
typedef struct {
    int screen_number;
    short x_org, y_org, width, height;
} XineramaScreenInfo;

int XineramaQueryExtension(Display* display, int* event_base, int* error_base) {
    (void)display;
    *event_base = *error_base = 0;
    return 1;
}

int XineramaQueryVersion(Display* display, int* major, int* minor) {
    (void)display;
    *major = *minor = 1;
    return 1;
}

int XineramaIsActive(Display* display) {
    (void)display;
    return 1;
}

/* The caller frees the list with XFree, which is free. */
XineramaScreenInfo* XineramaQueryScreens(Display* display, int* count) {
    enum { MAX_HEADS = 8 };
    const char* heads = getenv("VELTA_TEST_HEADS");
    XineramaScreenInfo* list = calloc(MAX_HEADS, sizeof *list);
    int w, h, x, y, used;
    (void)display;
    *count = 0;
    while (list && heads && *count < MAX_HEADS &&
           sscanf(heads, "%dx%d%d%d%n", &w, &h, &x, &y, &used) == 4) {
        list[*count] = (XineramaScreenInfo){*count, (short)x, (short)y, (short)w, (short)h};
        ++*count;
        heads += used;
        if (*heads == ',')
            ++heads;
    }
    return list;
}
