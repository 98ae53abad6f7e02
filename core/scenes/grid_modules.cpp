// Tsurphu and Samdrup: the 3 x 8 grid, its checkerboard ripple and each member's cell chain.
#include "core/scenes/grid_modules.h"

#include "core/scenes/draw_ops.h"
#include "core/scenes/track_modules.h"

constexpr int GRID_ROWS = 3;
constexpr int GRID_COLUMNS = 8;
constexpr float COLUMN_PITCH = 5.4f;
constexpr float ROW_PITCH = 7.2000003f; // 6 * 1.2 in single precision

void advance_bob(float speed) {
    const float d = speed * 0.02f;
    if (g_bBobUp) {
        g_fBob += d;
        if (g_fBob > BOB_LIMIT) {
            g_fBob = BOB_LIMIT;
            g_bBobUp = false;
        }
    } else {
        g_fBob -= d;
        if (g_fBob < -BOB_LIMIT) {
            g_fBob = -BOB_LIMIT;
            g_bBobUp = true;
        }
    }
}

// Cell (i, j) of the grid, already moved to its place, with its wheel angle minus the phase.
using PlaceCell = void (*)(const SceneState& s, float spin);

// Cells row by row. A cell takes its starting angle from record i + j * (i + 1), so cells of
// different rows share some records.
static void draw_grid(const SceneState& s, float rowShift, PlaceCell shape) {
    const ElementState* elements = s.elements;
    const float p = s.phase;
    for (int i = 0; i < GRID_ROWS; ++i) {
        for (int j = 0; j < GRID_COLUMNS; ++j) {
            const float a = elements[i + j * (i + 1)].phase;
            g_Draw.push_matrix();
            g_Draw.translate(0.0f, 0.0f, (i + j) % 2 == 0 ? s.bob : -s.bob);
            g_Draw.translate((static_cast<float>(j) - 3.5f) * COLUMN_PITCH,
                             static_cast<float>(i - 1) * ROW_PITCH - rowShift, 0.0f);
            shape(s, a - p);
            g_Draw.pop_matrix();
        }
    }
}

// ---- Tsurphu: upright cylinders, the grid shifted down by 3 ----
static void tsurphu_cell(const SceneState&, float spin) {
    rotate_x(-90.0f);
    rotate_z(spin);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void draw_tsurphu(const SceneState& s) {
    draw_grid(s, 3.0f, tsurphu_cell);
}

static void end_tsurphu() {
    advance_bob(g_fSpeed);
}

// ---- Samdrup: spheres, and a view that keeps turning by itself ----
static void samdrup_cell(const SceneState& s, float spin) {
    // Undoes the view's tilt about x, so each sphere keeps its own orientation while the grid
    // tilts.
    rotate_x(-s.xrot - 90.0f);
    rotate_z(spin);
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void draw_samdrup(const SceneState& s) {
    draw_grid(s, 0.0f, samdrup_cell);
}

static void end_samdrup() {
    g_fXrot -= g_fSpeed * 0.5f;
    g_fYrot -= g_fSpeed * 0.25f;
    advance_bob(g_fSpeed);
}

// The cells stay in place: the ripple, the spin and Samdrup's view turn are all blended.
const SceneModule TSURPHU_SCENE = {
    4,    RotationOrder::XYZ, init_track_layout, draw_tsurphu, nullptr, nullptr, 1.0f,
    true, end_tsurphu};
// Samdrup's view sits (7, -12, 1) beyond the user's, and turns by itself after each step.
static SceneModule samdrup_scene() {
    SceneModule m = {7, RotationOrder::ZYX, init_track_layout, draw_samdrup};
    m.end_frame = end_samdrup;
    m.viewOffsetX = 7.0f;
    m.viewOffsetY = -12.0f;
    m.viewOffsetDepth = 1.0f;
    return m;
}
const SceneModule SAMDRUP_SCENE = samdrup_scene();

int DrawTsurphu() {
    return draw_scene_frame(TSURPHU_SCENE);
}
int DrawSamdrup() {
    return draw_scene_frame(SAMDRUP_SCENE);
}
