// The view controls of the module on screen: zoom, pan, rotations, speed, the default view and
// the next and previous module, as the keys of either platform ask for them. Main thread only.
#pragma once

#include <cstddef>

enum class ViewControl {
    ZoomOut, // Page Up
    ZoomIn,  // Page Down
    PanUp,   // arrows
    PanDown,
    PanLeft,
    PanRight,
    TiltBack,       // F2: x rotation down
    TiltForward,    // F3: x rotation up
    TurnLeft,       // F4: y rotation down
    TurnRight,      // F5: y rotation up
    RollLeft,       // F6: z rotation up
    RollRight,      // F7: z rotation down
    Slower,         // F8
    Faster,         // F9
    DefaultView,    // Home
    NextModule,     // Enter
    PreviousModule, // Backspace
};

// Changes the live view values or the module on screen. A module switch stores the view on
// screen into its module's record and brings the other module on at full brightness with its
// whole cycle time ahead of it.
void apply_view_control(ViewControl control);
// Puts module (1..20, or 0 for none) on screen as a module switch does: the view on screen into
// its module's record first, then the module at full brightness with its whole cycle time ahead.
void show_module(int module);

// Zoom step (Page Up, Page Down) and pan step (arrows) at a depth: whole fiftieths of the
// depth, or 0.3 and 0.1 below a depth of 50.
float zoom_step(float depth);
float pan_step(float depth);
// Holds a speed changed from the keyboard between SPEED_MIN and SPEED_MAX.
float limit_speed(float speed);
// The "Params" text of the seven live view values; returns the length written.
int format_view_params(char* text, size_t size);
