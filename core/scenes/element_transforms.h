// Transform steps and shapes that several module families share: turning an element back to
// face the viewer, the centred standard cylinder, and sines and cosines kept in single
// precision. Main thread only, with the OpenGL context current.
#pragma once

#include "core/scenes/draw_ops.h"
#include "core/scenes/scene_frame.h"

#include <cmath>

// The full angle and its quarter and eighth as the scenes hold them in single precision
// (slightly less than the true multiples of pi).
constexpr float FULL_TURN = 6.283185f;
constexpr float QUARTER_TURN = 1.5707963f;
constexpr float EIGHTH_TURN = 0.7853981f;
// Twice TRACK_LIMIT, as the single-precision constant the track modules divide by.
constexpr float DOUBLE_TRACK = 51.612904f;

// Sine and cosine of a single-precision angle in radians, rounded back to single precision.
inline float sin_single(float radians) {
    return static_cast<float>(std::sin(static_cast<double>(radians)));
}
inline float cos_single(float radians) {
    return static_cast<float>(std::cos(static_cast<double>(radians)));
}

// Undoes the view rotations of the common frame (z, then y, then x), so that whatever the
// user turns the scene to, the element keeps showing the same side to the viewer.
inline void face_viewer(const SceneState& s) {
    rotate_z(-s.zrot);
    rotate_y(-s.yrot);
    rotate_x(-s.xrot);
}

inline void scale_uniform(float k) {
    g_Draw.scale(k, k, k);
}

// The standard element cylinder, radius 2 and height 6, centred on the current origin along
// the local z axis.
inline void draw_centred_cylinder() {
    g_Draw.translate(0.0f, 0.0f, -3.0f);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

// The standard element sphere, radius 2.
inline void draw_element_sphere() {
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

// An element's own spin about y: (-rate * phase - 100 * e) / 2, the element's index turned
// into a fixed offset so that neighbours never spin in step.
inline float element_spin(float rate, float phase, int e) {
    return (-rate * phase - static_cast<float>(100 * e)) * 0.5f;
}
