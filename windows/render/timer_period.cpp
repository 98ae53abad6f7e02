// The system timer period held while a saver window or the settings preview runs.
#include "windows/render/timer_period.h"

#include <windows.h>
#include <mmsystem.h>

constexpr UINT TIMER_PERIOD_MS = 1;

static bool g_bTimerPeriodHeld;

void take_timer_period() {
    if (!g_bTimerPeriodHeld)
        g_bTimerPeriodHeld = timeBeginPeriod(TIMER_PERIOD_MS) == TIMERR_NOERROR;
}

void return_timer_period() {
    if (!g_bTimerPeriodHeld)
        return;
    timeEndPeriod(TIMER_PERIOD_MS);
    g_bTimerPeriodHeld = false;
}
