// Gelug: twelve cylinders on a turning ring, from time to time a random group of four of them
// swinging over the top to the opposite side. Main thread only, with the OpenGL context
// current.
#pragma once

#include "core/scenes/scene_frame.h"

// The flip control of the module, kept for the life of the process: a flip interrupted by a
// module change continues when the module comes back.
struct FlipControl {
    bool turning;   // a flip is in progress
    float angle;    // progress of the flip, 0 to 180 degrees
    float timer;    // time gathered since the last flip ended; a flip starts above 100
    int group;      // group (0, 1 or 2) of the current or last flip
    int members[3]; // group + 3, group + 6, group + 9
};

extern FlipControl g_Flip;

// One frame of the flip control at the given speed: a running flip advances, easing in over
// its last four degrees and ending at 180; otherwise the timer runs and, past 100, a new
// flip starts with a random group other than the last one.
void advance_flip(FlipControl& flip, float speed);

// Whether element e (0..11) is carried by the flip in progress.
bool is_flipping(const FlipControl& flip, int e);

int DrawGelug();
