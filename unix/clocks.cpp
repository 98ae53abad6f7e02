// The Linux clocks of the frame step: milliseconds of the monotonic clock, and nanosleep.
#include "core/platform.h"
#include "unix/messages.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

// Milliseconds of the monotonic clock, wrapping like a tick count; the same clock serves the
// cycle, the voices and the pacing.
static uint32_t monotonic_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

// The kernel's own sleep, past the C library and anything put in front of it (a clock faker
// whose nanosleep refuses every call): the sleep of last resort.
static void kernel_sleep(timespec rest) {
    while (syscall(SYS_clock_nanosleep, CLOCK_MONOTONIC, 0, &rest, &rest) != 0 && errno == EINTR) {
    }
}

static bool g_bSleepFailed; // nanosleep refused a call: the kernel's sleep is used from then on

// Sleeps the whole time, also when a signal interrupts it; the frame loop sees the signal's
// flag after the frame. A nanosleep that fails for another reason would make every frame
// follow the last at once, a loop at full speed on one core: that sleep is taken from the
// kernel instead, and said once.
static void sleep_ms(uint32_t ms) {
    const timespec whole = {static_cast<time_t>(ms / 1000),
                            static_cast<long>(ms % 1000) * 1000000L};
    timespec rest = whole;
    if (!g_bSleepFailed) {
        while (nanosleep(&rest, &rest) != 0) {
            if (errno == EINTR)
                continue;
            say("the system's sleep failed (%s); sleeping on the kernel's clock",
                std::strerror(errno));
            g_bSleepFailed = true;
            rest = whole; // what a refused call left in rest is not to be trusted
            break;
        }
        if (!g_bSleepFailed)
            return;
    }
    kernel_sleep(rest);
}

uint32_t (*g_pfnTickCount)() = monotonic_ms;
uint32_t (*g_pfnPacingClock)() = monotonic_ms;
void (*g_pfnSleep)(uint32_t ms) = sleep_ms;
