// The module catalogue's draw operations, the frame every module follows and the animation
// state the scenes share. Main thread only, with the OpenGL context current.
#pragma once

#include "core/settings/module_params.h"

// One element's animation record. Each module says which fields it uses; the rest stay zero.
struct ElementState {
    float x;     // position along x
    float y;     // position along y
    float z;     // position along z; the track position of the track modules
    float vz;    // velocity along z
    float vx;    // velocity along x
    float vy;    // velocity along y
    float spare; // unused by every module
    float turn;  // heading about y, degrees
    float phase; // the element's starting spin angle, degrees
    float param; // curve parameter of the curve-orbit modules, radians
};

// A track runs from -TRACK_LIMIT to TRACK_LIMIT (800/31 in single precision). The fractions
// the modules use, again as the exact single-precision values:
constexpr float TRACK_LIMIT = 25.806452f;
constexpr float TRACK_HALF = 12.903226f;     // 400/31, half of TRACK_LIMIT
constexpr float TRACK_EIGHTH = 6.451613f;    // 200/31, an eighth of the track: group spacing
constexpr float ORBIT_RADIUS = 15.180265f;   // 8000/527
constexpr float PHASE_WRAP = 5000000.0f;     // g_fPhase above this is brought back down
constexpr int SHAPE_DETAIL = 32;             // slices and stacks of every quadric
constexpr int ELEMENT_TABLE_SIZE = 30;       // records of modules 1 to 17
constexpr int LARGE_ELEMENT_TABLE_SIZE = 36; // records of modules 18 to 20

// Shared animation state of the two grid modules: the checkerboard offset and its direction.
extern float g_fBob;
extern bool g_bBobUp;
// A module's first frame initialises its element table and clears its flag; set at start.
extern bool g_bFirstUse[MODULE_COUNT + 1];

// Gelug's flip control (core/scenes/flip_module.h), kept for the life of the process: a flip
// interrupted by a module change continues when the module comes back.
struct FlipControl {
    bool turning;   // a flip is in progress
    float angle;    // progress of the flip, 0 to 180 degrees
    float timer;    // time gathered since the last flip ended; a flip starts above 100
    int group;      // group (0, 1 or 2) of the current or last flip
    int members[3]; // group + 3, group + 6, group + 9
};

// What a module's drawing reads, taken by a step at the moment it draws: the phase, the grid
// ripple, the view, the flip and the element table as they stand before the step's advance.
// Drawing reads nothing else, so a frame can be drawn from two steps' states blended.
struct SceneState {
    float phase;
    float bob;
    float depth, horz, vert, xrot, yrot, zrot;
    FlipControl flip;
    ElementState elements[LARGE_ELEMENT_TABLE_SIZE];
};

enum class RotationOrder {
    ZYX, // g_fZrot, then g_fYrot, then g_fXrot
    XYZ, // g_fXrot, then g_fYrot, then g_fZrot
};

// What a module adds to the common frame, written {index, order, init, draw, advance, jumped}
// and, where a module needs them, the fields after. Hooks that are not needed are null.
struct SceneModule {
    int index; // 1..20
    RotationOrder order;
    void (*init)(ElementState* elements);
    // Draws every element and the central shape, each in its own push/pop pair, from s alone.
    void (*draw)(const SceneState& s);
    // The per-element updates after the drawing, in the order of the elements.
    void (*advance)(ElementState* elements) = nullptr;
    // Whether an element went from before to after by a jump (a wrap, a rebirth) rather than
    // by moving: it is then drawn where it is after, never dragged across the picture.
    bool (*jumped)(const ElementState& before, const ElementState& after) = nullptr;
    float phaseRate = 1.0f;         // g_fPhase grows by g_fSpeed times this (single precision)
    bool zeroFill = true;           // the table is zeroed before init on the first frame
    void (*end_frame)() = nullptr;  // after the phase has grown
    float viewOffsetX = 0.0f;       // added to g_fHorz in the view translation
    float viewOffsetY = 0.0f;       // to g_fVert
    float viewOffsetDepth = 0.0f;   // to g_fDepth
    void (*begin_step)() = nullptr; // before the state is taken: what the step's frame shows
    // The module's own blending of what the shared one leaves as after's (the flip).
    void (*blend)(const SceneState& before, const SceneState& after, float f,
                  SceneState& out) = nullptr;
};

// The common frame: clear; a black frame (1) for a disabled module; the phase wrap; first-use
// initialisation; the view transform; the module's drawing and updates; the phase advance;
// then 1 if OpenGL reports no error, else 0.
int draw_scene_frame(const SceneModule& module);

// Element table of module k (1..20) and its number of records (30 or 36).
ElementState* module_elements(int k);
int module_element_count(int k);

// Clears the colour and depth buffers; 1 when OpenGL reports no error, else 0.
int DrawBlank();

// Draws module index (0 = none) as a complete frame; nonzero when it is to be presented.
// An index outside 0..20 draws nothing and counts as complete.
int draw_module(int index);

// Frames between steps. step_module makes the numbers of module index's frame exactly as
// draw_module would, drawing nothing, and keeps the state it would have drawn together with
// the previous step's. draw_module_between then draws the module at fraction f (0 to 1) of the
// way from the state of the step before last to the last step's: at 0 exactly the frame
// draw_module drew for the step before last. Positions, angles and the phase are blended;
// an element that jumped is drawn where it is now. With one step of the module kept (its first,
// or the first after another module's), that step's frame is drawn whatever f is; with none
// kept (a disabled module, or no step yet of index), a black frame.
void step_module(int index);
int draw_module_between(int index, float f);
// The module the kept steps belong to; -1 before the first step.
int stepped_module();

// a + (b - a) * f in single precision, exactly a at f = 0.
inline float blend_value(float a, float b, float f) {
    return f == 0.0f ? a : a + (b - a) * f;
}
