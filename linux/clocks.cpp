// The Linux clocks of the frame step: milliseconds of the monotonic clock, and nanosleep.
#include "core/platform.h"

#include <cerrno>
#include <ctime>

// Milliseconds of the monotonic clock, wrapping like a tick count; the same clock serves the
// cycle, the voices and the pacing.
static uint32_t monotonic_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

// Sleeps the whole time, also when a signal interrupts it; the frame loop sees the signal's
// flag after the frame.
static void sleep_ms(uint32_t ms) {
    timespec rest = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

uint32_t (*g_pfnTickCount)() = monotonic_ms;
uint32_t (*g_pfnPacingClock)() = monotonic_ms;
void (*g_pfnSleep)(uint32_t ms) = sleep_ms;
