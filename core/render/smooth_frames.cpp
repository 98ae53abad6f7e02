// Steps due, fractions between steps, refreshes per frame and the frame drawn between steps.
#include "core/render/smooth_frames.h"

#include "core/render/fade.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/scenes/draw_ops.h"
#include "core/scenes/scene_frame.h"

#include <algorithm>
#include <cmath>

int refreshes_per_frame(double hz, bool capped) {
    if (!capped || !(hz > FRAME_RATE_CAP))
        return 1;
    // A little leeway, so that a 75.02 Hz display still counts as 75.
    return static_cast<int>(std::ceil(hz / (FRAME_RATE_CAP + 0.5)));
}

int steps_due(StepClock& clock, double now) {
    if (!clock.running || now < clock.firstDue) {
        clock.running = true;
        clock.firstDue = now;
        clock.taken = 0;
    }
    const double interval = FRAME_INTERVAL_MS;
    const long long due = static_cast<long long>(std::floor((now - clock.firstDue) / interval)) + 1;
    long long n = due - clock.taken;
    if (n > MAX_STEPS_PER_FRAME) {
        clock.firstDue = now;
        clock.taken = 0;
        n = 1;
    }
    clock.taken += n;
    return static_cast<int>(n);
}

float step_fraction(const StepClock& clock, double now) {
    if (clock.taken == 0)
        return 0.0f;
    const double interval = FRAME_INTERVAL_MS;
    const double since = now - (clock.firstDue + static_cast<double>(clock.taken - 1) * interval);
    return static_cast<float>(std::min(1.0, std::max(0.0, since / interval)));
}

void note_refresh(RefreshMeter& meter, double now) {
    if (meter.last >= 0.0 && now > meter.last) {
        meter.intervals[meter.next] = now - meter.last;
        meter.next = (meter.next + 1) % REFRESH_SAMPLES;
        meter.count = std::min(meter.count + 1, REFRESH_SAMPLES);
    }
    meter.last = now;
}

double refresh_rate(const RefreshMeter& meter) {
    if (meter.count < 3)
        return 0.0;
    double sorted[REFRESH_SAMPLES];
    std::copy(meter.intervals, meter.intervals + meter.count, sorted);
    std::nth_element(sorted, sorted + meter.count / 2, sorted + meter.count);
    return 1000.0 / sorted[meter.count / 2];
}

bool refresh_gets_frame(SmoothPacer& pacer, double now) {
    note_refresh(pacer.refreshes, now);
    const int every = refreshes_per_frame(refresh_rate(pacer.refreshes), pacer.capped);
    if (++pacer.refreshesWaited < every)
        return false;
    pacer.refreshesWaited = 0;
    return true;
}

void smooth_frame(SmoothPacer& pacer, double now) {
    int n = steps_due(pacer.clock, now);
    // A module chosen between two steps (a key) starts from a step of its own at once.
    if (n == 0 && stepped_module() != g_nModule) {
        restart_steps(pacer);
        n = steps_due(pacer.clock, now);
    }
    for (int i = 0; i < n; ++i) {
        take_step();
        ++pacer.stepsEver;
        pacer.brightnessBefore = pacer.brightnessAfter;
        pacer.brightnessAfter = g_fBrightness;
    }
    const float f = step_fraction(pacer.clock, now);
    pacer.sceneTime = (static_cast<double>(pacer.stepsEver - 2) + f) * FRAME_INTERVAL_MS;
    show_brightness(blend_value(pacer.brightnessBefore, pacer.brightnessAfter, f));
    if (draw_module_between(g_nModule, f) && !g_bQuit)
        g_Draw.swap_buffers();
}

bool frame_at_refresh(SmoothPacer& pacer, double now) {
    if (!refresh_gets_frame(pacer, now))
        return false;
    smooth_frame(pacer, now);
    return true;
}

void restart_steps(SmoothPacer& pacer) {
    pacer.clock.running = false;
}
