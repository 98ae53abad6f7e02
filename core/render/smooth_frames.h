// Frames at the display's own rate: the modules still advance in whole steps of
// FRAME_INTERVAL_MS, and each frame shows the picture between the last two steps at the moment
// it is drawn. The arithmetic every such program needs (when steps are due, how far between
// them a frame stands, how many refreshes a frame takes) and the frame itself. Main thread only.
#pragma once

// Frames a second above which a display's refreshes are drawn only every second (third ...)
// one: a frame costs the same whatever the refresh rate, and the motion is smooth at 60 to 75.
constexpr double FRAME_RATE_CAP = 75.0;
// More steps due than this at one frame (a pause, a stall of the machine): the steps start
// again from that frame instead of catching up, so the motion pauses rather than races.
constexpr int MAX_STEPS_PER_FRAME = 8;

// Refreshes per drawn frame on a display of hz refreshes a second: 1 up to FRAME_RATE_CAP,
// else the fewest that keep the frame rate at or below it (2 at 120 and 144 Hz, 4 at 240 Hz);
// always 1 when capped is false or the rate is unknown (0 or less).
int refreshes_per_frame(double hz, bool capped);

// The step clock: step n (from 1) since the clock started is due FRAME_INTERVAL_MS * (n - 1)
// after firstDue. Times are milliseconds of any steady clock.
struct StepClock {
    bool running = false;
    double firstDue = 0.0;
    long long taken = 0; // steps taken since firstDue
};

// The steps to take before drawing a frame at now: those due and not taken, at most
// MAX_STEPS_PER_FRAME (beyond, the clock starts again at now with one step). The first call,
// and a clock that went backwards, also start it at now.
int steps_due(StepClock& clock, double now);
// How far now stands past the last step taken, in steps: 0 when it was due at now, up to 1.
float step_fraction(const StepClock& clock, double now);

// The display's refresh rate, from the times of the refreshes seen (animation frames,
// compositor frame callbacks): the median of the last intervals, so a few late or early
// refreshes do not move it.
constexpr int REFRESH_SAMPLES = 15;
struct RefreshMeter {
    double last = -1.0;
    double intervals[REFRESH_SAMPLES] = {};
    int count = 0;
    int next = 0;
};
void note_refresh(RefreshMeter& meter, double now);
double refresh_rate(const RefreshMeter& meter); // refreshes a second; 0 while unknown

// What a program drawing between steps keeps.
struct SmoothPacer {
    bool capped = true; // at most FRAME_RATE_CAP frames a second
    StepClock clock;
    RefreshMeter refreshes;
    int refreshesWaited = 0;    // since the last frame
    long long stepsEver = 0;    // steps taken since the program started
    float brightnessBefore = 1; // the fade's brightness at the step before last
    float brightnessAfter = 1;  // and at the last step
    double sceneTime = 0;       // of the last frame drawn: ms on the steps' own time line
};

// A refresh of the display at now, from a program told of each one: true when it gets a frame
// under the cap, judged on the refresh rate measured so far.
bool refresh_gets_frame(SmoothPacer& pacer, double now);
// One frame drawn at now: the steps due (take_step), the module drawn between its last two
// steps with the fade's brightness between theirs, and presented. sceneTime becomes the moment
// shown: (steps taken - 2 + fraction) step intervals, so that it keeps a fixed distance
// behind now while frames keep coming.
void smooth_frame(SmoothPacer& pacer, double now);
// What a program told of each refresh (an animation frame, a compositor's frame callback) calls
// at each: a frame drawn at now when the refresh gets one; true when it did.
bool frame_at_refresh(SmoothPacer& pacer, double now);
// The steps start again at the next frame, which takes one at once (after a pause).
void restart_steps(SmoothPacer& pacer);
