// Menri, Kagyu and Ganden: a train of elements running round a closed curve, each turned to
// face the viewer and sized by its distance from the centre. Main thread only, with the
// OpenGL context current.
#pragma once

#include "scenes/scene_frame.h"

// A point of a module's curve in single precision.
struct CurvePoint {
    float x, y, z;
};

CurvePoint menri_curve(float t);
CurvePoint kagyu_curve(float t);
CurvePoint ganden_curve(float t);

// Distance of a curve point from the z axis, rounded to single precision.
float curve_radius(CurvePoint p);

// Next curve parameter: t + speed * 0.05 * 0.05, restarting at exactly 0 once it passes
// 6.283185.
float advance_curve_parameter(float t, float speed);

int DrawMenri();
int DrawKagyu();
int DrawGanden();
