// What each program supplies to the core, one contract per entry, and nothing else.
//
// The core is the code built into every program: the twenty modules and the frame each follows
// (core/scenes/), the frame step with its pacing, module cycle and fades, the projection and
// fixed drawing state (core/render/), the module table with its defaults, the stored-settings
// rules and their hundredth encoding, the view controls (core/settings/), and the Ogg Vorbis
// decoding over memory or files (core/music/). It draws through OpenGL 1.1 and GLU and knows no
// window, sound or settings system: each program (windows/, linux/, web/) defines the functions
// and variables below, and sets the hooks at the end before its first frame. Main thread only,
// unless an entry says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

// Shows the frame just drawn in the back buffer of the current window. Called by the frame step
// after each complete frame.
void present_frame();

enum class EmbeddedKind {
    Image, // the glyph image, "TGA" resources on Windows
    Tune,  // the tune, RCDATA resources on Windows
};

// bytes is null when nothing was found. Found data belongs to the program and is never freed.
struct EmbeddedData {
    const void* bytes;
    size_t size;
};

// The data built into the program of that kind called name, or numbered id when name is null.
// Any thread.
EmbeddedData find_embedded(EmbeddedKind kind, const char* name, int id);

// The store of 32-bit settings values by name (the registry key on Windows, the settings file
// on Linux). A value that is absent, or not a 4-byte number, reads as fallback. A write returns
// true when the value was stored.
int32_t read_stored_value(const char* name, int32_t fallback);
bool write_stored_value(const char* name, int32_t value);

// The clocks the frame step reads and sleeps on; tests put their own in place. The cycle and
// the voices count tick milliseconds (GetTickCount on Windows), compared as unsigned 32-bit
// differences. The pacing needs finer steps than a tick count of 10 to 16 ms, so it reads a
// precise clock in milliseconds (the performance counter on Windows). g_pfnSleep waits ms
// milliseconds.
extern uint32_t (*g_pfnTickCount)();
extern uint32_t (*g_pfnPacingClock)();
extern void (*g_pfnSleep)(uint32_t ms);

// The icon of an alert.
constexpr unsigned ALERT_PLAIN = 0x00;       // MB_OK
constexpr unsigned ALERT_EXCLAMATION = 0x30; // MB_ICONEXCLAMATION
constexpr unsigned ALERT_INFORMATION = 0x40; // MB_ICONINFORMATION

using AlertFn = void (*)(const char* text, const char* caption, unsigned icon);

// Reports a failure with a fixed text and caption, the core's only way of reporting one: a
// message box with an OK button and no owner on Windows, a line on standard error on Linux.
// Tests put a recorder in place so that nothing waits for a click.
extern AlertFn g_pfnAlert;

inline void alert(const char* text, const char* caption, unsigned icon = ALERT_PLAIN) {
    g_pfnAlert(text, caption, icon);
}

// Hooks the frame step calls when the program has set them; the core defines them null, and a
// null hook does nothing.
extern void (*g_pfnPlayVoice)(int player);  // a new copy of the tune on player 0..2
extern void (*g_pfnStopVoices)();           // every voice silent at once
extern void (*g_pfnShowModule)(int module); // the settings preview's buttons follow the module
