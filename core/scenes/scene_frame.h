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

enum class RotationOrder {
    ZYX, // g_fZrot, then g_fYrot, then g_fXrot
    XYZ, // g_fXrot, then g_fYrot, then g_fZrot
};

// What a module adds to the common frame. Hooks that are not needed are null.
struct SceneModule {
    int index; // 1..20
    RotationOrder order;
    // Added to g_fHorz, g_fVert and g_fDepth in the view translation.
    float viewOffsetX, viewOffsetY, viewOffsetDepth;
    bool zeroFill; // the table is zeroed before init on the first frame
    void (*init)(ElementState* elements);
    // Draws every element and the central shape, each in its own push/pop pair, and applies
    // the per-element updates.
    void (*draw)(ElementState* elements);
    float phaseRate;     // g_fPhase grows by g_fSpeed times this (single precision)
    void (*end_frame)(); // after the phase has grown
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
