// The grid modules: 24 spinning wheels in three rows of eight, rippling in a checkerboard.
// Main thread only, with the OpenGL context current.
#pragma once

#include "core/scenes/scene_frame.h"

constexpr float BOB_LIMIT = 5.0f;

// One frame of the shared checkerboard oscillation at the given speed: g_fBob moves by
// speed * 0.02 in its direction and turns at +-5, where it is held.
void advance_bob(float speed);

extern const SceneModule TSURPHU_SCENE, SAMDRUP_SCENE;

int DrawTsurphu();
int DrawSamdrup();
