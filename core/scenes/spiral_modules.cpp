// Drepung's spiral and Dzogchen's ring of circling groups: their first layouts, transform
// chains and per-frame updates.
#include "core/scenes/spiral_modules.h"

#include "core/scenes/element_transforms.h"

#include <cmath>

// ---- Drepung: cylinders moving outwards along a turning two-armed spiral ----

float spiral_size(float z) {
    const float u = std::fabs(z) / TRACK_LIMIT;
    if (u <= 0.7f)
        return u;
    return u * (1.0f - u) / 0.3f;
}

float wrap_spiral_distance(float z) {
    if (z > TRACK_LIMIT)
        return static_cast<float>(static_cast<int>(z * 100.0f) % 2580) / 100.0f;
    return z;
}

// Twelve records form one arm, the next twelve the same arm turned half round. The table is
// zero from program start and is not zero-filled, so only z and turn are set.
static void init_drepung(ElementState* elements) {
    for (int c = 0; c < SPIRAL_ELEMENTS; ++c) {
        const int m = c % 12;
        const int h = c / 12;
        elements[c].z = static_cast<float>(m) * TRACK_LIMIT / 12.0f;
        elements[c].turn = static_cast<float>(h * 180 + m * 45);
    }
}

static void draw_drepung(const SceneState& s) {
    const float p = s.phase;
    for (int c = 0; c < SPIRAL_ELEMENTS; ++c) {
        const ElementState& e = s.elements[c];
        const float v = spiral_size(e.z);
        g_Draw.push_matrix();
        rotate_y(e.turn);
        g_Draw.translate(0.0f, 0.0f, 0.4f * e.z);
        scale_uniform(v);
        // Turned back, so every cylinder keeps the same orientation wherever the arm is.
        rotate_y(-e.turn);
        g_Draw.translate(0.0f, 0.0f, -3.0f);
        rotate_z(e.phase - p);
        g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
        g_Draw.pop_matrix();
    }
}

static void advance_drepung(ElementState* elements) {
    for (int c = 0; c < SPIRAL_ELEMENTS; ++c) {
        ElementState& e = elements[c];
        e.turn += g_fSpeed * 0.15f;
        e.z = wrap_spiral_distance(e.z + g_fSpeed * 0.04f);
    }
}

// Elements only move outwards; a step inwards is the wrap back to the middle.
static bool spiral_wrapped(const ElementState& before, const ElementState& after) {
    return after.z < before.z;
}

// ---- Dzogchen: six groups of three spheres on a ring of radius 21 ----

constexpr int DZOGCHEN_RECORDS = 24;

// The same starting spins as the track modules: groups 30 degrees apart, the three members
// of a group 120 degrees apart.
static void init_dzogchen(ElementState* elements) {
    for (int c = 0; c < DZOGCHEN_RECORDS; ++c)
        elements[c].phase = -static_cast<float>((c / 3) * 30 + (c * 120) % 360);
}

// Radii of the flattened spheres, as the single-precision values 2.4 and 11.2 widened.
static const double GROUP_SPHERE_RADIUS = static_cast<double>(2.4f);
static const double CENTRAL_SPHERE_RADIUS = static_cast<double>(11.2f);

static void draw_dzogchen(const SceneState& s) {
    const ElementState* elements = s.elements;
    const float p = s.phase;
    for (int c = 0; c < RING_GROUP_ELEMENTS; ++c) {
        const int g = c / 3;
        const float k = static_cast<float>(150 * c);
        g_Draw.push_matrix();
        g_Draw.rotate(static_cast<float>(g * 60) - 0.25f * p, 0.0f, 0.0f, -1.0f);
        g_Draw.translate(21.0f, 0.0f, 0.0f);
        // Neighbouring groups circle their place in opposite senses.
        g_Draw.rotate(elements[c].phase - p, 0.0f, g % 2 == 0 ? 1.0f : -1.0f, 0.0f);
        g_Draw.translate(0.0f, 0.0f, 4.0f);
        rotate_z((k - p) * 2.0f);
        g_Draw.scale(0.9f, 0.9f, 1.0f);
        g_Draw.sphere(GROUP_SPHERE_RADIUS, SHAPE_DETAIL, SHAPE_DETAIL);
        g_Draw.pop_matrix();
    }
    g_Draw.push_matrix();
    rotate_z(-p / 3.0f);
    g_Draw.scale(0.9f, 0.9f, 1.0f);
    g_Draw.sphere(CENTRAL_SPHERE_RADIUS, SHAPE_DETAIL, SHAPE_DETAIL);
    g_Draw.pop_matrix();
}

// Drepung's table is not zero-filled.
const SceneModule DREPUNG_SCENE = {
    8,    RotationOrder::ZYX, init_drepung, draw_drepung, advance_drepung, spiral_wrapped, 1.0f,
    false};
const SceneModule DZOGCHEN_SCENE = {10, RotationOrder::ZYX, init_dzogchen, draw_dzogchen};

int DrawDrepung() {
    return draw_scene_frame(DREPUNG_SCENE);
}
int DrawDzogchen() {
    return draw_scene_frame(DZOGCHEN_SCENE);
}
