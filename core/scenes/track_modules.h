// The track modules: 24 spinning elements in eight groups of three travel a track while a
// central shape turns. Main thread only, with the OpenGL context current.
#pragma once

#include "core/scenes/scene_frame.h"

constexpr int TRACK_ELEMENTS = 24;

// The starting layout of 24 records: group g = c / 3 starts at track position
// g * 6.451613 - 25.806452, and the three elements of a group are 120 degrees apart on their
// wheel, each group turned 30 degrees further than the one before.
void init_track_layout(ElementState* elements);

// A position past the end of the track restarts near its start: the integer part modulo 25,
// less TRACK_LIMIT. The overshoot is lost.
float wrap_track_position(float t);

extern const SceneModule SHECHEN_SCENE, JOKHANG_SCENE, MINDROLING_SCENE, PALPUNG_SCENE,
    KATHOK_SCENE;

int DrawShechen();
int DrawJokhang();
int DrawMindroling();
int DrawPalpung();
int DrawKathok();
