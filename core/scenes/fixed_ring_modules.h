// Dorje Drak, spheres on three rings tumbling about different axes, and Surmang, small
// spheres set on the surface of a turning cylinder. Main thread only, with the OpenGL context
// current.
#pragma once

#include "core/scenes/scene_frame.h"

extern const SceneModule DORJE_DRAK_SCENE, SURMANG_SCENE;

int DrawDorjeDrak();
int DrawSurmang();
