// Render state shared by the saver window, the frame step, the keyboard controls and the
// settings dialog, and the navigation over enabled modules. Main thread only.
#pragma once

#include "core/render/fade.h" // fade_reset and the fade steps belong to the same state

#include <cstdint>

extern int g_nModule;           // module on screen, 1..20, or 0 when none is enabled
extern int g_nFadeState;        // 0 showing, 2 fading out, 1 fading in
extern float g_fFadeAngle;      // radians; 0 at rest
extern uint32_t g_dwCycleStart; // tick count at which the current module's showing time began
extern uint32_t g_dwLastFrame;  // pacing clock (ms) at which the previous frame's drawing began
extern uint32_t g_dwVoiceTick;  // tick count of the last music voice started
extern int g_nVoice;            // music player last started by the frame step, 0..2
extern bool g_bSaverMode;       // saver window (true) or settings dialog (false)
extern bool g_bFullScreen;      // the saver window is as wide as the desktop
extern bool g_bQuit;            // a close was requested: no more frames are drawn or shown
extern bool g_bTornDown;        // the teardown has run
extern bool g_bInFrame;         // a frame message is being handled
extern bool g_bDisplayOff;      // the display is off: no frames are drawn, no voices start

// Number of enabled modules among 1..20.
int count_enabled_modules();
// The next (previous) enabled module after (before) i, wrapping through 1..20; i itself when
// it is the only one enabled; 0 when none is. i = 0 starts at module 1 (module 20).
int next_enabled_module(int i);
int prev_enabled_module(int i);
