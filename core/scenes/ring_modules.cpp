// The track ring and spindle modules: each element's track position (kept in its y field)
// mapped to an angle, a height and a size, and the track's advance and wrap.
#include "core/scenes/ring_modules.h"

#include "core/scenes/element_transforms.h"
#include "core/scenes/random_generator.h"

#include <cmath>
#include <ctime>

constexpr int RING_ELEMENTS = 16;
constexpr int SAKYA_ELEMENTS = 23;
constexpr int PALYUL_ELEMENTS = 24;
constexpr float SAMYE_RADIUS = 23.225805f; // 0.9 * TRACK_LIMIT

float ring_track_step(float speed) {
    return speed * 0.05f * 0.35f;
}

// A ring track runs from 0 to TRACK_LIMIT and starts again at exactly 0.
static float advance_ring_track(float s) {
    const float next = s + ring_track_step(g_fSpeed);
    return next > TRACK_LIMIT ? 0.0f : next;
}

// Angle on the ring in degrees and the same angle in radians, as both ring modules form them.
static float ring_angle(float s) {
    return s * 360.0f / TRACK_LIMIT;
}
static float ring_radians(float a) {
    return a * 2.0f * FULL_TURN * 0.5f / 360.0f;
}

static void advance_ring_elements(ElementState* elements) {
    for (int e = 0; e < RING_ELEMENTS; ++e)
        elements[e].y = advance_ring_track(elements[e].y);
}

// Positions only grow along a ring track (and Palyul's spindles); a smaller one is the start
// again.
static bool track_restarted(const ElementState& before, const ElementState& after) {
    return after.y < before.y;
}

static void init_ring_track(ElementState* elements) {
    for (int e = 0; e < RING_ELEMENTS; ++e)
        elements[e].y = static_cast<float>(e) * TRACK_LIMIT * 0.0625f;
}

// The central shapes of both ring modules turn at a third of the phase, against it.
static void turn_central(float p) {
    rotate_y(-p / 3.0f);
}

// ---- Samye: even elements run one way round the ring, odd ones the other ----
static void draw_samye(const SceneState& state) {
    const ElementState* elements = state.elements;
    const float p = state.phase;
    for (int e = 0; e < RING_ELEMENTS; ++e) {
        const bool even = e % 2 == 0;
        const float sigma = even ? 1.0f : -1.0f;
        const float s = elements[e].y;
        const float a = s * sigma * 360.0f / TRACK_LIMIT;
        const float w8 = ring_radians(a) * 16.0f * 0.5f;
        const float h = even ? sin_single(w8) : cos_single(w8 + EIGHTH_TURN);
        const float k = h * 0.4f + 1.3f;
        g_Draw.push_matrix();
        rotate_z(a - 11.25f);
        g_Draw.translate(SAMYE_RADIUS, 0.0f, 0.0f);
        rotate_y(element_spin(3.0f, p, e));
        scale_uniform(k);
        rotate_x(sigma * -90.0f);
        draw_centred_cylinder();
        g_Draw.pop_matrix();
    }
    g_Draw.push_matrix();
    turn_central(p);
    rotate_x(-90.0f);
    g_Draw.sphere(12.0, SHAPE_DETAIL, SHAPE_DETAIL);
    g_Draw.pop_matrix();
}

// ---- Nyingma: a ring of radius 20 waving up and down four times round ----
static void draw_nyingma(const SceneState& state) {
    const ElementState* elements = state.elements;
    const float p = state.phase;
    for (int e = 0; e < RING_ELEMENTS; ++e) {
        const float s = elements[e].y;
        const float a = ring_angle(s);
        const float w = ring_radians(a);
        g_Draw.push_matrix();
        rotate_y(a);
        g_Draw.translate(20.0f, 3.5f * cos_single(4.0f * w), 0.0f);
        rotate_y(element_spin(5.0f, p, e));
        rotate_x(-90.0f);
        draw_centred_cylinder();
        g_Draw.pop_matrix();
    }
    g_Draw.push_matrix();
    turn_central(p);
    scale_uniform(5.5f);
    rotate_x(-90.0f);
    draw_centred_cylinder();
    g_Draw.pop_matrix();
}

// ---- Sakya: a spindle running downwards, four turns from end to end ----
float sakya_size(float s) {
    const float m = std::fabs(s);
    return sin_single((TRACK_LIMIT - m) * QUARTER_TURN / TRACK_LIMIT);
}

static void init_sakya(ElementState* elements) {
    for (int e = 0; e < SAKYA_ELEMENTS; ++e)
        elements[e].y = static_cast<float>(2 * e) * TRACK_LIMIT / 23.0f - TRACK_LIMIT;
}

static void draw_sakya(const SceneState& state) {
    const ElementState* elements = state.elements;
    const float p = state.phase;
    for (int e = 0; e < SAKYA_ELEMENTS; ++e) {
        const float s = elements[e].y;
        const float k = sakya_size(s);
        g_Draw.push_matrix();
        rotate_y((s + TRACK_LIMIT) * 1440.0f / DOUBLE_TRACK);
        g_Draw.translate(k * TRACK_LIMIT / 2.5f, 0.5f * s, 0.0f);
        rotate_y(element_spin(3.5f, p, e));
        scale_uniform(k);
        rotate_x(-90.0f);
        draw_centred_cylinder();
        g_Draw.pop_matrix();
    }
}

// Only a position strictly below the bottom end jumps back to the top.
static void advance_sakya(ElementState* elements) {
    for (int e = 0; e < SAKYA_ELEMENTS; ++e) {
        const float next = elements[e].y - ring_track_step(g_fSpeed);
        elements[e].y = next < -TRACK_LIMIT ? TRACK_LIMIT : next;
    }
}

// Sakya's elements only run downwards; a step up is the jump back to the top.
static bool sakya_wrapped(const ElementState& before, const ElementState& after) {
    return after.y > before.y;
}

// ---- Palyul: four groups of six on spindles around a turning axis ----
float palyul_size(float s) {
    return (TRACK_LIMIT - std::fabs(s)) * 0.0225f;
}

// Reseeding happens once, on the module's first frame after program start; it changes what
// every later user of the generator draws as well.
static void init_palyul(ElementState* elements) {
    seed_random(static_cast<uint32_t>(std::time(nullptr)));
    for (int e = 0; e < PALYUL_ELEMENTS; ++e)
        elements[e].y = static_cast<float>(e % 6) * 2.0f * TRACK_LIMIT / 6.0f - TRACK_LIMIT;
}

static void draw_palyul(const SceneState& state) {
    const float p = state.phase;
    for (int e = 0; e < PALYUL_ELEMENTS; ++e) {
        const ElementState& el = state.elements[e];
        const float s = el.y;
        const float k = palyul_size(s);
        const float beta = (TRACK_LIMIT + s) * 360.0f / DOUBLE_TRACK + 180.0f;
        const float r = 5.0f * sin_single(s * QUARTER_TURN / TRACK_LIMIT);
        g_Draw.push_matrix();
        rotate_y(static_cast<float>(90 * (e / 6)) - 0.8f * p);
        g_Draw.translate(5.0f, 0.0f, 0.0f);
        rotate_y(-beta);
        g_Draw.translate(0.0f, r, 0.0f);
        rotate_y(el.turn - 4.5f * p);
        scale_uniform(k);
        rotate_x(-90.0f);
        draw_centred_cylinder();
        g_Draw.pop_matrix();
    }
}

// Back at the bottom, with a new random spin offset so the restart does not show.
static void advance_palyul(ElementState* elements) {
    for (int e = 0; e < PALYUL_ELEMENTS; ++e) {
        ElementState& el = elements[e];
        el.y += g_fSpeed * 0.05f * 6.0f;
        if (el.y > TRACK_LIMIT) {
            el.y = -TRACK_LIMIT;
            el.turn = static_cast<float>(draw_random());
        }
    }
}

const SceneModule SAMYE_SCENE = {12,         RotationOrder::ZYX,    init_ring_track,
                                 draw_samye, advance_ring_elements, track_restarted};
const SceneModule NYINGMA_SCENE = {14,           RotationOrder::XYZ,    init_ring_track,
                                   draw_nyingma, advance_ring_elements, track_restarted};
const SceneModule SAKYA_SCENE = {16,         RotationOrder::XYZ, init_sakya,
                                 draw_sakya, advance_sakya,      sakya_wrapped};
const SceneModule PALYUL_SCENE = {19,          RotationOrder::XYZ, init_palyul,
                                  draw_palyul, advance_palyul,     track_restarted};

int DrawSamye() {
    return draw_scene_frame(SAMYE_SCENE);
}
int DrawNyingma() {
    return draw_scene_frame(NYINGMA_SCENE);
}
int DrawSakya() {
    return draw_scene_frame(SAKYA_SCENE);
}
int DrawPalyul() {
    return draw_scene_frame(PALYUL_SCENE);
}
