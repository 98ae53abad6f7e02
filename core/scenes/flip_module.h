// Gelug: twelve cylinders on a turning ring, from time to time a random group of four of them
// swinging over the top to the opposite side. Main thread only, with the OpenGL context
// current.
#pragma once

#include "core/scenes/scene_frame.h"

// The flip control of the module (the record is in core/scenes/scene_frame.h).
extern FlipControl g_Flip;

// One frame of the flip control at the given speed: a running flip advances, easing in over
// its last four degrees and ending at 180; otherwise the timer runs and, past 100, a new
// flip starts with a random group other than the last one.
void advance_flip(FlipControl& flip, float speed);

// Whether element e (0..11) is carried by the flip in progress.
bool is_flipping(const FlipControl& flip, int e);

extern const SceneModule GELUG_SCENE;

int DrawGelug();
