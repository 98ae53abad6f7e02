// Shechen, Jokhang, Mindroling, Palpung and Kathok: the shared track and each member's
// transform chain from track position to place in space.
#include "core/scenes/track_modules.h"

#include "core/scenes/draw_ops.h"

#include <cmath>

void init_track_layout(ElementState* elements) {
    for (int c = 0; c < TRACK_ELEMENTS; ++c) {
        const int g = c / 3;
        elements[c].z = static_cast<float>(g) * TRACK_EIGHTH - TRACK_LIMIT;
        elements[c].phase = static_cast<float>(-((c * 120) % 360 + 30 * g));
    }
}

float wrap_track_position(float t) {
    if (t > TRACK_LIMIT)
        return static_cast<float>(static_cast<int>(t) % 25) - TRACK_LIMIT;
    return t;
}

// Size of an element at track position t: 1.2 in the middle, 0 at both ends.
static float track_size(float t) {
    return (TRACK_LIMIT - std::fabs(t)) * 1.2f / TRACK_LIMIT;
}

namespace {

// One member: element c's transform chain and shape at track position t on wheel angle a
// with phase p, its step along the track per unit of g_fSpeed, and its central shape.
struct TrackMember {
    void (*place_element)(float t, float a, float k, float p);
    float step;
    void (*central)(float p);
};

} // namespace

static void draw_track(const SceneState& s, const TrackMember& member) {
    const float p = s.phase;
    for (int c = 0; c < TRACK_ELEMENTS; ++c) {
        const ElementState& e = s.elements[c];
        g_Draw.push_matrix();
        member.place_element(e.z, e.phase, static_cast<float>(30 * c), p);
        g_Draw.pop_matrix();
    }
    g_Draw.push_matrix();
    member.central(p);
    g_Draw.pop_matrix();
}

static void advance_track(ElementState* elements, const TrackMember& member) {
    for (int c = 0; c < TRACK_ELEMENTS; ++c)
        elements[c].z = wrap_track_position(elements[c].z + g_fSpeed * member.step);
}

// Elements only move forward along the track; a step back is the wrap to its start.
static bool track_wrapped(const ElementState& before, const ElementState& after) {
    return after.z < before.z;
}

// The central shape of every member turns at a third of the phase, against it.
static void turn_central(float p) {
    rotate_z(-p / 3.0f);
}

// ---- Shechen: cylinders on a two-hinged orbit ----
static void place_shechen(float t, float a, float k, float p) {
    const float s = track_size(t);
    rotate_z(a - 0.25f * p);
    g_Draw.translate(ORBIT_RADIUS, 0.0f, 0.0f);
    rotate_y(t * 180.0f / TRACK_LIMIT);
    g_Draw.translate(ORBIT_RADIUS, 0.0f, 0.0f);
    rotate_y(t * -180.0f / TRACK_LIMIT);
    rotate_z((k - p) * 0.25f);
    g_Draw.scale(s, s, s);
    g_Draw.translate(0.0f, 0.0f, -9.0f);
    g_Draw.scale(2.0f, 2.0f, 2.0f);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
    // Each element clears the error flag, so an error raised here never fails the frame.
    g_Draw.get_error();
}

static void central_shechen(float p) {
    turn_central(p);
    g_Draw.translate(0.0f, 0.0f, -12.0f);
    g_Draw.cylinder(8.0, 8.0, 24.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static const TrackMember SHECHEN = {place_shechen, 0.05f * 0.5f, central_shechen};

// ---- Jokhang: stretched cylinders swinging on an arc ----
static void place_jokhang(float t, float a, float k, float p) {
    const float s = track_size(t);
    rotate_z(a - 0.25f * p);
    rotate_y((t + TRACK_LIMIT) * 90.0f / TRACK_LIMIT);
    g_Draw.translate(0.0f, 0.0f, -ORBIT_RADIUS);
    rotate_y(-90.0f);
    rotate_z(k - p);
    g_Draw.scale(s, s, 1.25f * s);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void central_jokhang(float p) {
    g_Draw.translate(0.0f, 0.0f, -10.666667f);
    turn_central(p);
    g_Draw.cylinder(6.4, 6.4, 18.82352888377894, SHAPE_DETAIL, SHAPE_DETAIL);
}

static const TrackMember JOKHANG = {place_jokhang, 0.05f, central_jokhang};

// ---- Mindroling: stretched spheres tilted on a ring ----
static void place_mindroling(float t, float a, float k, float p) {
    // Full size over the middle half of the track, falling to nothing at the ends.
    const float m = std::fabs(t);
    const float u = m > TRACK_HALF ? TRACK_LIMIT - m : TRACK_HALF;
    const float b = u * 1.2f / TRACK_HALF;
    rotate_z(a - 0.25f * p);
    g_Draw.translate(-12.0f * b, 0.0f, 1.2f * t);
    rotate_x(-55.0f);
    rotate_z(k - p);
    g_Draw.scale(b, b, 1.25f * b);
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void central_mindroling(float p) {
    turn_central(p);
    g_Draw.sphere(7.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static const TrackMember MINDROLING = {place_mindroling, 0.05f, central_mindroling};

// ---- Palpung and Kathok: spheres on an arc and on a two-hinged orbit ----
static void central_large_sphere(float p) {
    turn_central(p);
    g_Draw.sphere(8.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void place_palpung(float t, float a, float k, float p) {
    const float s = track_size(t);
    rotate_z(a - 0.25f * p);
    rotate_y((t + TRACK_LIMIT) * 180.0f / TRACK_LIMIT);
    g_Draw.translate(-ORBIT_RADIUS, 0.0f, 0.0f);
    rotate_y(-90.0f);
    rotate_z(k - 1.5f * p);
    g_Draw.scale(s, s, s);
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static const TrackMember PALPUNG = {place_palpung, 0.05f, central_large_sphere};

static void place_kathok(float t, float a, float k, float p) {
    const float s = track_size(t);
    rotate_z(a - 0.25f * p);
    g_Draw.translate(-ORBIT_RADIUS, 0.0f, 0.0f);
    rotate_y(t * 180.0f / TRACK_LIMIT);
    g_Draw.translate(-ORBIT_RADIUS, 0.0f, 0.0f);
    rotate_y(-90.0f);
    rotate_z(k - 1.7f * p);
    g_Draw.scale(s, s, s);
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static const TrackMember KATHOK = {place_kathok, 0.05f, central_large_sphere};

// ---- The five modules ----
static void draw_shechen(const SceneState& s) {
    draw_track(s, SHECHEN);
}
static void advance_shechen(ElementState* e) {
    advance_track(e, SHECHEN);
}
static void draw_jokhang(const SceneState& s) {
    draw_track(s, JOKHANG);
}
static void advance_jokhang(ElementState* e) {
    advance_track(e, JOKHANG);
}
static void draw_mindroling(const SceneState& s) {
    draw_track(s, MINDROLING);
}
static void advance_mindroling(ElementState* e) {
    advance_track(e, MINDROLING);
}
static void draw_palpung(const SceneState& s) {
    draw_track(s, PALPUNG);
}
static void advance_palpung(ElementState* e) {
    advance_track(e, PALPUNG);
}
static void draw_kathok(const SceneState& s) {
    draw_track(s, KATHOK);
}
static void advance_kathok(ElementState* e) {
    advance_track(e, KATHOK);
}

const SceneModule SHECHEN_SCENE = {
    1, RotationOrder::ZYX, init_track_layout, draw_shechen, advance_shechen, track_wrapped};
const SceneModule JOKHANG_SCENE = {
    2, RotationOrder::ZYX, init_track_layout, draw_jokhang, advance_jokhang, track_wrapped};
const SceneModule MINDROLING_SCENE = {
    3, RotationOrder::ZYX, init_track_layout, draw_mindroling, advance_mindroling, track_wrapped};
const SceneModule PALPUNG_SCENE = {
    5, RotationOrder::ZYX, init_track_layout, draw_palpung, advance_palpung, track_wrapped};
const SceneModule KATHOK_SCENE = {6,           RotationOrder::ZYX, init_track_layout,
                                  draw_kathok, advance_kathok,     track_wrapped};

int DrawShechen() {
    return draw_scene_frame(SHECHEN_SCENE);
}
int DrawJokhang() {
    return draw_scene_frame(JOKHANG_SCENE);
}
int DrawMindroling() {
    return draw_scene_frame(MINDROLING_SCENE);
}
int DrawPalpung() {
    return draw_scene_frame(PALPUNG_SCENE);
}
int DrawKathok() {
    return draw_scene_frame(KATHOK_SCENE);
}
