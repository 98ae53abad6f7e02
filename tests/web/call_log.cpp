// Prints the drawing-table calls of the core's frames, shape by shape with the matrix and colour
// each is drawn with, from a fixed clock and seed: every module alone for its first 30 frames,
// then all twenty cycling with no time on screen, so that the fades and switches come too.
// Built natively and for node; test_same_calls.py compares the two outputs.
#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/scenes/random_generator.h"
#include "core/settings/module_params.h"
#include "tests/core/draw_recorder.h"

#include <cstdio>

namespace {

uint32_t g_dwNow = 1000;

uint32_t fake_clock() {
    return g_dwNow;
}

void no_sleep(uint32_t) {}

void print_frame(const char* run, int frame, const DrawRecorder& r) {
    std::printf("%s frame %d clears %d swaps %d stack %d\n", run, frame, r.clears, r.swaps,
                static_cast<int>(r.stack.size()));
    for (const RecordedShape& s : r.shapes) {
        std::printf("%c %.9g %.9g %.9g %d %d |", s.kind == ShapeKind::Cylinder ? 'C' : 'S', s.base,
                    s.top, s.height, s.slices, s.stacks);
        for (float v : s.modelView.m)
            std::printf(" %.9g", v);
        std::printf(" | %.9g %.9g %.9g %.9g %d\n", s.color[0], s.color[1], s.color[2], s.color[3],
                    s.stackDepth);
    }
}

void run(const char* name, int frames, DrawRecorder& recorder) {
    for (int f = 0; f < frames; ++f) {
        g_dwNow += FRAME_INTERVAL_MS;
        recorder.clear_records();
        frame_step();
        print_frame(name, f, recorder);
    }
}

} // namespace

int main() {
    g_pfnTickCount = g_pfnPacingClock = fake_clock;
    g_pfnSleep = no_sleep;
    DrawRecorder recorder;
    init_module_defaults();
    g_bSaverMode = true;
    char name[16];
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        for (int m = 1; m <= MODULE_COUNT; ++m)
            g_Mods[m].active = m == k;
        g_nModule = k;
        load_module_params(k);
        seed_random(1704067200u);
        g_dwCycleStart = g_dwNow;
        std::snprintf(name, sizeof name, "module%d", k);
        run(name, 30, recorder);
    }
    for (int m = 1; m <= MODULE_COUNT; ++m)
        g_Mods[m].active = 1;
    g_nCycleTime = 0;
    run("cycle", 400, recorder);
    return 0;
}
