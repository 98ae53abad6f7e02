// What both Linux programs do around their frames: the signals that end a run, the voices, the
// frame-rate line, the view's values on request, and the steered views saved at the end. Main
// thread only.
#pragma once

#include "core/settings/options.h"

#include <csignal>
#include <cstdint>
#include <string>

extern volatile std::sig_atomic_t g_nSignal; // SIGTERM or SIGINT arrived

// SIGTERM and SIGINT set g_nSignal and interrupt a wait, instead of ending the process.
void catch_signals();
// Prints the view's values of the module on screen.
void show_params();
// Counts a frame; once a second, one line with the frames drawn in it. Returns the milliseconds
// the line covers when it printed one, else 0.
uint32_t report_fps(const char* program, uint32_t& since, int& frames);

// The monotonic clock in milliseconds, to the nanosecond: frames drawn between steps show the
// moment they are drawn.
double precise_ms();
// Sleeps until precise_ms() reaches at, or a signal comes. A sleep the system refuses is taken
// by g_pfnSleep instead, which falls back on the kernel's: never frames at full speed.
void sleep_until_ms(double at);

// Where the steered views go at the end (empty: this run saves nothing), and what the file held
// for the choices the command line made instead, which the file keeps.
extern std::string g_sSavePath;
extern StoredChoices g_Held;
// Keeps the view the user steered to, with the file's own choices for what the command line
// decided; true when saved, or when this run saves nothing.
bool save_steered_views();

// Reads the settings file and the stored settings, applies the command line's module choices
// (keeping what the file held for them in g_Held) and selects the first module; a run that keeps
// the views the user steers saves them at the end to the same file.
void load_run_settings(const ModuleOptions& options, bool keepsViews);
// With the sound switch on, starts the three voices, hands them to the frame step and plays the
// first copy of the tune.
void start_sound();
// Ends a run after its last frame: the voices quit, close_display lets the window or surfaces
// go, the steered views are saved. Returns the exit code, 0 when the views were saved; when a
// voice held by a hanging sound server still runs, the process ends here with that code.
int end_run(void (*close_display)());
