/* Counts a program's presented frames for the benchmarks and the tests: wraps its buffer swaps,
 * and writes the count and the times of the first, the last and the second one (CLOCK_MONOTONIC,
 * ns; the first frame may also build what later frames reuse) to the file named by
 * VELTA_SWAP_LOG on every frame. The file is written beside it and renamed over it,
 * so a reader finds either the last count or the one before, never a line cut short. With
 * VELTA_SWAP_LIMIT=N the program is sent SIGTERM once it has presented N frames, so that a traced
 * run stops itself after the frames a test needs. Loaded with LD_PRELOAD; never part of the
 * product. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef void (*GlxSwapFn)(void* display, unsigned long drawable);
typedef unsigned (*EglSwapFn)(void* display, void* surface);

static void count_frame(void) {
    static unsigned long frames;
    static long long first, second;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long last = now.tv_sec * 1000000000LL + now.tv_nsec;
    if (frames++ == 0)
        first = last;
    else if (frames == 2)
        second = last;
    const char* limit = getenv("VELTA_SWAP_LIMIT");
    if (limit && frames == strtoul(limit, NULL, 10))
        raise(SIGTERM);
    const char* path = getenv("VELTA_SWAP_LOG");
    char temporary[4096];
    if (!path || snprintf(temporary, sizeof temporary, "%s.new", path) >= (int)sizeof temporary)
        return;
    FILE* f = fopen(temporary, "w");
    if (f) {
        fprintf(f, "%lu %lld %lld %lld\n", frames, first, last, second);
        if (fclose(f) == 0)
            rename(temporary, path);
    }
}

/* GLX programs present with glXSwapBuffers, XScreenSaver 6's hacks with eglSwapBuffers. */
void glXSwapBuffers(void* display, unsigned long drawable) {
    static GlxSwapFn real;
    if (!real)
        real = (GlxSwapFn)dlsym(RTLD_NEXT, "glXSwapBuffers");
    real(display, drawable);
    count_frame();
}

unsigned eglSwapBuffers(void* display, void* surface) {
    static EglSwapFn real;
    if (!real)
        real = (EglSwapFn)dlsym(RTLD_NEXT, "eglSwapBuffers");
    const unsigned result = real(display, surface);
    count_frame();
    return result;
}
