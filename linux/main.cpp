// Process entry of the Linux program: reads the options and the settings file, opens the window
// and runs the shared frame step on it until a signal, Escape or the window's end.
#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/gl_scene.h"
#include "core/render/render_state.h"
#include "core/render/smooth_frames.h"
#include "core/settings/module_params.h"
#include "core/settings/view_controls.h"
#include "unix/keys.h"
#include "unix/messages.h"
#include "unix/options.h"
#include "unix/program_run.h"
#include "linux/x11_window.h"

#include <cstdio>
#include <cstdlib>

// The window's events since the last frame.
static void take_events(bool ownWindow) {
    WindowEvent event;
    while (next_window_event(&event)) {
        if (event.type == WindowEvent::Resized) {
            resize_gl_scene(event.width, event.height);
        } else if (event.type == WindowEvent::Closed) {
            g_bQuit = true;
        } else if (event.type == WindowEvent::Key && ownWindow) {
            const KeyMeaning meaning = key_meaning(event.key);
            if (meaning.effect == KeyMeaning::Control)
                apply_view_control(meaning.control);
            else if (meaning.effect == KeyMeaning::ShowParams)
                show_params();
            else if (meaning.effect == KeyMeaning::Quit)
                g_bQuit = true;
        }
    }
}

// Frames at the display's rate (every second refresh above 75 Hz unless everyRefresh), each
// showing the modules between their last two steps. Where the driver lets the swap wait for
// the display, the swaps pace the frames; elsewhere (Xvfb) the clock does, one frame period
// after the last frame was due, or from now when it fell a whole period behind.
static void run_smooth_frames(bool ownWindow, bool fps, bool everyRefresh) {
    const double measured = display_refresh_rate();
    const double hz = measured > 0.0 ? measured : 60.0;
    SmoothPacer pacer;
    pacer.capped = !everyRefresh;
    const int every = refreshes_per_frame(hz, pacer.capped);
    const double period = 1000.0 * every / hz;
    bool swapsWait = set_swap_interval(every);
    if (fps) {
        std::printf("velta2: %.2f Hz display, a frame every %d refresh%s, paced by the %s\n", hz,
                    every, every == 1 ? "" : "es", swapsWait ? "buffer swap" : "clock");
        std::fflush(stdout);
    }
    uint32_t fpsSince = g_pfnPacingClock();
    int fpsFrames = 0;
    long long stepsReported = 0;
    double due = precise_ms();
    const double firstFrame = due;
    long long frames = 0;
    while (!g_bQuit && !g_nSignal) {
        take_events(ownWindow);
        if (g_bQuit)
            break;
        if (!swapsWait) {
            sleep_until_ms(due);
            const double now = precise_ms();
            due = now - due >= period ? now + period : due + period;
        }
        smooth_frame(pacer, precise_ms());
        // A driver that takes the swap interval and still swaps at once would have the frames
        // run at full speed: when two seconds' worth of them came within one, the clock paces
        // them from then on.
        if (swapsWait && ++frames == static_cast<long long>(2 * hz / every)) {
            if (precise_ms() - firstFrame < 1000.0) {
                swapsWait = false;
                due = precise_ms();
            }
        }
        const uint32_t covered = fps ? report_fps("velta2", fpsSince, fpsFrames) : 0;
        if (covered) {
            // The motion's own speed, whatever the frame rate: 1000 / 31 steps a second.
            std::printf("velta2: %.1f steps per second\n",
                        (pacer.stepsEver - stepsReported) * 1000.0 / covered);
            std::fflush(stdout);
            stepsReported = pacer.stepsEver;
        }
    }
}

// The X server went away or broke the connection, in the middle of an X call. Nothing more can
// be asked of the display, so the views are saved as at any other end and the process ends at
// once, voices and all, without the destructors of the display's and OpenGL's state; a run cut
// off by its display did not end well, whatever was saved.
[[noreturn]] static void end_without_display(const char* display) {
    const bool saved = save_steered_views();
    std::fprintf(stderr, "velta2: the display %s went away%s\n", display,
                 saved && !g_sSavePath.empty() ? "; the steered views are saved" : "");
    std::fflush(nullptr);
    std::_Exit(1);
}

int main(int argc, char** argv) {
    Options options;
    char error[OPTION_ERROR_SIZE];
    if (!parse_options(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), &options, error)) {
        say("%s", error);
        std::fputs(USAGE, stderr);
        return 1;
    }
    catch_signals();
    const bool ownWindow = options.window == WindowKind::Own;
    // Only the program's own window takes keys, so only its runs have views to keep.
    load_run_settings(options, ownWindow);

    g_pfnDisplayLost = end_without_display;
    if (!open_gl_window(options.display, options.window, options.windowId))
        return 1;
    int width, height;
    gl_window_size(&width, &height);
    resize_gl_scene(width, height);
    if (!init_gl_state()) {
        close_gl_window();
        return 1;
    }
    g_bSaverMode = true; // the modules cycle
    g_bFullScreen = true;
    g_dwCycleStart = g_pfnTickCount();
    start_sound();

    uint32_t fpsSince = g_pfnPacingClock();
    int fpsFrames = 0;
    while (options.stepped && !g_bQuit && !g_nSignal) {
        take_events(ownWindow);
        if (g_bQuit)
            break;
        frame_step();
        if (options.fps)
            report_fps("velta2", fpsSince, fpsFrames);
    }
    if (!options.stepped)
        run_smooth_frames(ownWindow, options.fps, options.everyRefresh);

    return end_run(close_gl_window);
}
