// Samye and Nyingma, cylinders running round a ring track about a central shape, and Sakya
// and Palyul, cylinders running along a spindle-shaped track. Main thread only, with the
// OpenGL context current.
#pragma once

#include "core/scenes/scene_frame.h"

// Track step per unit of speed of the ring tracks and of Sakya: 0.05 * 0.35.
float ring_track_step(float speed);

// Sizes along the spindles, 1 (Sakya) or 0.5806452 (Palyul) at the middle of the track,
// s = 0, and 0 at its ends, s = +-TRACK_LIMIT.
float sakya_size(float s);
float palyul_size(float s);

extern const SceneModule SAMYE_SCENE, NYINGMA_SCENE, SAKYA_SCENE, PALYUL_SCENE;

int DrawSamye();
int DrawNyingma();
int DrawSakya();
int DrawPalyul();
