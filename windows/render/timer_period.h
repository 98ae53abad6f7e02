// The 1 ms system timer period that the frame pacing needs while frames run. Main thread only.
#pragma once

// Asks the system for a 1 ms timer period, so that the pacing sleep ends within a millisecond of
// the 31 ms frame interval instead of on the next 15.6 ms tick. Does nothing when the period is
// already held, so each run asks once, however often it is called.
void take_timer_period();
// Gives the period back if it is held; safe to call on every way out of a run.
void return_timer_period();
