// Menri, Kagyu and Ganden: a train of elements running round a closed curve, each turned to
// face the viewer and sized by its distance from the centre. Main thread only, with the
// OpenGL context current.
#pragma once

#include "core/scenes/scene_frame.h"

// Next curve parameter: t + speed * 0.05 * 0.05, restarting at exactly 0 once it passes
// 6.283185.
float advance_curve_parameter(float t, float speed);

extern const SceneModule MENRI_SCENE, KAGYU_SCENE, GANDEN_SCENE;

int DrawMenri();
int DrawKagyu();
int DrawGanden();
