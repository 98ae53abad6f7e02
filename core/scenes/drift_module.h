// Sera: 18 upright cylinders drifting at random through a box that widens towards the
// viewer, turned back whenever they leave it. Main thread only, with the OpenGL context
// current.
#pragma once

#include "core/scenes/scene_frame.h"

constexpr int DRIFT_ELEMENTS = 18;
constexpr float DRIFT_DEPTH_LIMIT = 40.0f;

// Widening of the box at depth z: 1 at the far wall (z = -40), 3 at the near one (z = 40).
// The box is |x| <= 15 e, |y| <= 10 e, |z| <= 40.
float drift_widening(float z);

// One record's bounce tests, made on its current position before it moves: on each axis
// where it is strictly outside the box it gets a fresh speed of up to 0.3 back inside, one
// random draw each.
void bounce_in_box(ElementState& e);

extern const SceneModule SERA_SCENE;

int DrawSera();
