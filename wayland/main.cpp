// Process entry of velta2-wayland: reads the options and the settings file (those of velta2),
// covers every output (the saver, the wallpaper) or opens a window, and draws the frame step on
// each surface when the compositor asks for a frame, until input ends the saver, a signal, the
// window's close or the compositor's end.
#include "core/platform.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/render/smooth_frames.h"
#include "core/settings/view_controls.h"
#include "unix/keys.h"
#include "unix/messages.h"
#include "unix/options.h"
#include "unix/program_run.h"
#include "wayland/display.h"
#include "wayland/frame_replay.h"
#include "wayland/seat.h"

#include <X11/keysym.h>

#include <cstdio>
#include <cstdlib>

// Frames stop when no surface has been asked for one for this long (every output off or
// covered), and the module's showing time stops with them.
constexpr uint32_t UNSEEN_MS = 500;

static WindowKind g_Kind;

// The input since the last frame: the view keys steer; in the saver any other key, a button or
// the pointer moved far ends the run, in the window Escape or q does and F toggles full screen.
static void take_input() {
    InputEvent event;
    while (next_input_event(&event)) {
        if (event.type != InputEvent::Key) {
            g_bQuit = g_bQuit || g_Kind == WindowKind::Saver;
            continue;
        }
        const KeyMeaning meaning = key_meaning(event.keysym);
        if (meaning.effect == KeyMeaning::Control)
            apply_view_control(meaning.control);
        else if (meaning.effect == KeyMeaning::ShowParams)
            show_params();
        else if (g_Kind == WindowKind::Saver || meaning.effect == KeyMeaning::Quit)
            g_bQuit = true;
        else if (event.keysym == XK_f || event.keysym == XK_F)
            toggle_full_screen();
    }
}

static bool g_bStepped;     // one frame per 31 ms step, else frames at the outputs' refreshes
static SmoothPacer g_Pacer; // the steps and the refreshes of the frames between them

// Draws the frame of this step on surface: the first surface of a step runs the frame step,
// which advances the animation once (or, between steps, takes the steps due and draws the
// moment between them); the others of the same step repeat its drawing calls at their own
// size. This is the one place a frame is drawn for a surface.
static bool draw_frame_on(Surface* surface, bool firstOfStep) {
    if (!use_surface(surface))
        return false;
    if (!firstOfStep)
        return replay_frame();
    start_frame_recording();
    if (g_bStepped)
        frame_step();
    else
        smooth_frame(g_Pacer, precise_ms());
    stop_frame_recording();
    return true;
}

// The compositor is gone: nothing more can be shown, so the views are saved as at any other end
// and the process ends at once, voices and all; a run cut off by its display did not end well.
[[noreturn]] static void end_without_display() {
    const bool saved = save_steered_views();
    std::fprintf(stderr, "velta2-wayland: the Wayland display %s went away%s\n", display_name(),
                 saved && !g_sSavePath.empty() ? "; the steered views are saved" : "");
    std::fflush(nullptr);
    std::_Exit(1);
}

static void run_frames(bool fps) {
    uint32_t fpsSince = g_pfnPacingClock(), lastShown = fpsSince;
    int fpsFrames = 0;
    while (!g_bQuit && !g_nSignal && !display_closed()) {
        const std::vector<Surface*> ready = ready_surfaces();
        const uint32_t now = g_pfnPacingClock();
        uint32_t due = g_bStepped ? pacing_delay(now, g_dwLastFrame) : 0;
        if (!ready.empty() && due == 0) {
            wake_frames(g_pfnTickCount());
            lastShown = now;
            // Between steps, a frame at each refresh the compositor offers, under the cap.
            if (!g_bStepped && !refresh_gets_frame(g_Pacer, precise_ms())) {
                for (Surface* surface : ready)
                    skip_refresh(surface);
            } else {
                bool first = true;
                for (Surface* surface : ready)
                    if (draw_frame_on(surface, first))
                        first = false;
                // No surface could be drawn on: wait a refresh rather than try again at once.
                if (first && !g_bStepped)
                    due = 16;
                if (fps)
                    report_fps("velta2-wayland", fpsSince, fpsFrames);
            }
        } else if (ready.empty() && now - lastShown > UNSEEN_MS) {
            sleep_frames(g_pfnTickCount());
        }
        // Wait for the compositor: until the next step when a surface is ready, else until it
        // asks for a frame (a second at most, so the unseen time is noticed).
        if (!wait_display(!ready.empty() ? int(due) : int(UNSEEN_MS)))
            end_without_display();
        take_input();
    }
}

int main(int argc, char** argv) {
    g_pProgramName = "velta2-wayland"; // the name the shared code's lines open with
    Options options;
    char error[OPTION_ERROR_SIZE];
    if (!parse_wayland_options(argc, argv, &options, error)) {
        say("%s", error);
        std::fputs(WAYLAND_USAGE, stderr);
        return 1;
    }
    catch_signals();
    g_Kind = options.window;
    // The saver and the window take keys, so their runs have views to keep.
    load_run_settings(options, g_Kind != WindowKind::Wallpaper);

    if (!open_display(options.display, g_Kind))
        return 1;
    g_bSaverMode = true; // the modules cycle
    g_bFullScreen = g_Kind != WindowKind::Own;
    g_dwCycleStart = g_pfnTickCount();
    start_sound();

    g_bStepped = options.stepped;
    g_Pacer.capped = !options.everyRefresh;
    run_frames(options.fps);

    return end_run(close_display);
}
