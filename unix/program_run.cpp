// The signals, the frame-rate line, the view's values and the saving of the steered views.
#include "unix/program_run.h"

#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "core/settings/stored_settings.h"
#include "core/settings/view_controls.h"
#include "core/platform.h"
#include "unix/pulse_voices.h"
#include "unix/settings_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

volatile std::sig_atomic_t g_nSignal;
std::string g_sSavePath;
StoredChoices g_Held;

static void note_signal(int signal) {
    g_nSignal = signal;
}

void catch_signals() {
    struct sigaction action = {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void show_params() {
    char text[500];
    format_view_params(text, sizeof text);
    std::fputs(text, stdout);
    std::fflush(stdout);
}

uint32_t report_fps(const char* program, uint32_t& since, int& frames) {
    ++frames;
    const uint32_t now = g_pfnPacingClock();
    const uint32_t covered = now - since;
    if (covered < 1000)
        return 0;
    std::printf("%s: %.1f frames per second\n", program, frames * 1000.0 / covered);
    std::fflush(stdout);
    since = now;
    frames = 0;
    return covered;
}

bool save_steered_views() {
    if (g_sSavePath.empty())
        return true;
    store_module_params(g_nModule);
    restore_stored_choices(g_Held); // the file keeps the steered views
    save_settings();
    return save_settings_file(g_sSavePath);
}

double precise_ms() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void sleep_until_ms(double at) {
    const timespec when = {static_cast<time_t>(at / 1000.0),
                           static_cast<long>((at - std::floor(at / 1000.0) * 1000.0) * 1e6)};
    int result;
    while ((result = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr)) == EINTR &&
           !g_nSignal) {
    }
    const double rest = at - precise_ms();
    if (result != 0 && result != EINTR && rest > 0.0)
        g_pfnSleep(static_cast<uint32_t>(std::ceil(rest)));
}

void start_sound() {
    if (!g_bSound)
        return;
    start_voices();
    g_pfnPlayVoice = play_voice;
    g_pfnStopVoices = stop_voices;
    play_voice(0);
}

int end_run(void (*close_display)()) {
    g_bQuit = true;
    const bool voicesEnded = quit_voices();
    close_display();
    // Steered views that were not saved are lost: that run did not end well.
    const int code = save_steered_views() ? 0 : 1;
    if (!voicesEnded) {
        // A voice held by a hanging sound server still runs: no destructors it may need.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

void load_run_settings(const ModuleOptions& options, bool keepsViews) {
    const std::string path = settings_file_path();
    if (!path.empty())
        load_settings_file(path);
    read_settings();
    // The values as the run begins, the file's with the defaults filled in and the read rules
    // applied: what a save at the end compares with, so that it writes only what was steered.
    save_settings();
    mark_store_as_loaded();
    g_Held = apply_module_options(options);
    start_with_first_module();
    if (keepsViews)
        g_sSavePath = path;
}
