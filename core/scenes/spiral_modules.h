// Drepung, 24 cylinders riding out along a turning two-armed spiral, and Dzogchen, six groups
// of three flattened spheres circling on a ring. Main thread only, with the OpenGL context
// current.
#pragma once

#include "core/scenes/scene_frame.h"

constexpr int SPIRAL_ELEMENTS = 24;
constexpr int RING_GROUP_ELEMENTS = 18;

// Size of a spiral element at distance parameter z: rises with z to 0.7 at 70% of the way
// out, then falls back to nothing at TRACK_LIMIT.
float spiral_size(float z);

// A distance parameter past TRACK_LIMIT restarts just above 0 by its whole hundredths:
// (trunc(z * 100) mod 2580) / 100, so 25.875 becomes 0.07.
float wrap_spiral_distance(float z);

extern const SceneModule DREPUNG_SCENE, DZOGCHEN_SCENE;

int DrawDrepung();
int DrawDzogchen();
