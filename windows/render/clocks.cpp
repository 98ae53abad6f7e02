// The Windows clocks of the frame step: the tick count, the performance counter and Sleep.
#include "core/platform.h"

#include <windows.h>

static uint32_t tick_count() {
    return GetTickCount();
}

// Milliseconds of the performance counter, wrapping like a tick count.
static uint32_t precise_ms() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<uint32_t>(t.QuadPart / frequency * 1000 +
                                 t.QuadPart % frequency * 1000 / frequency);
}

static void sleep_ms(uint32_t ms) {
    Sleep(ms);
}

uint32_t (*g_pfnTickCount)() = tick_count;
uint32_t (*g_pfnPacingClock)() = precise_ms;
void (*g_pfnSleep)(uint32_t ms) = sleep_ms;
