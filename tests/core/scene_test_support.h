// Shared set-up of the scene tests: a neutral view, chosen modules enabled, fresh first-use
// flags and element tables, and small geometry helpers.
#pragma once

#include "core/scenes/scene_frame.h"
#include "draw_recorder.h"

#include <cmath>
#include <initializer_list>

// Only the listed modules enabled; the live view at the origin, unturned, speed 0.5; phase 0;
// every module's first frame still to come; the grid ripple at rest.
void reset_scenes(std::initializer_list<int> enabled);

inline float length(Vec3 v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// Length of the image of each local axis: the scale a shape is drawn at.
inline Vec3 axis_scales(const Mat4& m) {
    return {length(m.vector(1, 0, 0)), length(m.vector(0, 1, 0)), length(m.vector(0, 0, 1))};
}

#define EXPECT_VEC_NEAR(v, ex, ey, ez, tol)                                                        \
    do {                                                                                           \
        const Vec3 v_ = (v);                                                                       \
        EXPECT_NEAR(v_.x, (ex), (tol));                                                            \
        EXPECT_NEAR(v_.y, (ey), (tol));                                                            \
        EXPECT_NEAR(v_.z, (ez), (tol));                                                            \
    } while (0)
