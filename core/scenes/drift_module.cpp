// Sera's random start inside the box, its bounce rules and its drift.
#include "core/scenes/drift_module.h"

#include "core/scenes/element_transforms.h"
#include "core/scenes/random_generator.h"

#include <cmath>

constexpr int DRIFT_RECORDS = 24;
constexpr float DRIFT_SPEED = 0.3f;

float drift_widening(float z) {
    return (z + DRIFT_DEPTH_LIMIT) / DRIFT_DEPTH_LIMIT + 1.0f;
}

static float bounce_speed() {
    return std::fabs(random_signed()) * DRIFT_SPEED;
}

// A new velocity pointing back inside when v lies strictly beyond +-limit; else vel as is.
static float bounce_axis(float v, float limit, float vel) {
    if (v > limit)
        return -bounce_speed();
    if (v < -limit)
        return bounce_speed();
    return vel;
}

void bounce_in_box(ElementState& e) {
    const float w = drift_widening(e.z);
    e.vx = bounce_axis(e.x, 15.0f * w, e.vx);
    e.vy = bounce_axis(e.y, 10.0f * w, e.vy);
    e.vz = bounce_axis(e.z, DRIFT_DEPTH_LIMIT, e.vz);
}

// Six draws per record in a fixed order; records 18 to 23 take theirs too, so the sequence
// the generator continues with is the same whatever is drawn.
static void init_sera(ElementState* elements) {
    for (int b = 0; b < DRIFT_RECORDS; ++b) {
        ElementState& e = elements[b];
        e.phase = static_cast<float>(30 * b);
        e.vz = random_signed() * DRIFT_SPEED;
        e.vy = random_signed() * DRIFT_SPEED;
        e.vx = random_signed() * DRIFT_SPEED;
        e.z = random_signed() * DRIFT_DEPTH_LIMIT;
        const float w = drift_widening(e.z);
        e.x = random_signed() * 15.0f * w;
        e.y = random_signed() * 10.0f * w;
    }
}

static void draw_sera(const SceneState& s) {
    const float p = s.phase;
    for (int b = 0; b < DRIFT_ELEMENTS; ++b) {
        const ElementState& e = s.elements[b];
        g_Draw.push_matrix();
        g_Draw.translate(e.x, e.y, e.z);
        rotate_x(-90.0f);
        g_Draw.translate(0.0f, 0.0f, -3.0f);
        rotate_z(e.phase - p);
        g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
        g_Draw.pop_matrix();
    }
}

// A bounce turns the velocity only, never the position, so it changes nothing drawn and the
// drift is blended throughout. The bounces draw from the generator in the order of the
// elements, each before its own move.
static void advance_sera(ElementState* elements) {
    for (int b = 0; b < DRIFT_ELEMENTS; ++b) {
        ElementState& e = elements[b];
        bounce_in_box(e);
        e.x += e.vx * 0.15f * g_fSpeed;
        e.y += e.vy * 0.15f * g_fSpeed;
        e.z += e.vz * 0.15f * g_fSpeed;
    }
}

// Sera's phase grows at 0.65 times the speed.
const SceneModule SERA_SCENE = {
    9, RotationOrder::ZYX, init_sera, draw_sera, advance_sera, nullptr, 0.65f};

int DrawSera() {
    return draw_scene_frame(SERA_SCENE);
}
