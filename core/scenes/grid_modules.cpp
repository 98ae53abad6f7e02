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
using PlaceCell = void (*)(float spin);

// Cells row by row. A cell takes its starting angle from record i + j * (i + 1), so cells of
// different rows share some records.
static void draw_grid(const ElementState* elements, float rowShift, PlaceCell shape) {
    const float p = g_fPhase;
    for (int i = 0; i < GRID_ROWS; ++i) {
        for (int j = 0; j < GRID_COLUMNS; ++j) {
            const float a = elements[i + j * (i + 1)].phase;
            g_Draw.push_matrix();
            g_Draw.translate(0.0f, 0.0f, (i + j) % 2 == 0 ? g_fBob : -g_fBob);
            g_Draw.translate((static_cast<float>(j) - 3.5f) * COLUMN_PITCH,
                             static_cast<float>(i - 1) * ROW_PITCH - rowShift, 0.0f);
            shape(a - p);
            g_Draw.pop_matrix();
        }
    }
}

// ---- Tsurphu: upright cylinders, the grid shifted down by 3 ----
static void tsurphu_cell(float spin) {
    rotate_x(-90.0f);
    rotate_z(spin);
    g_Draw.cylinder(2.0, 2.0, 6.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void draw_tsurphu(ElementState* e) {
    draw_grid(e, 3.0f, tsurphu_cell);
}

static void end_tsurphu() {
    advance_bob(g_fSpeed);
}

// ---- Samdrup: spheres, and a view that keeps turning by itself ----
static void samdrup_cell(float spin) {
    // Undoes the view's tilt about x, so each sphere keeps its own orientation while the grid
    // tilts.
    rotate_x(-g_fXrot - 90.0f);
    rotate_z(spin);
    g_Draw.sphere(2.0, SHAPE_DETAIL, SHAPE_DETAIL);
}

static void draw_samdrup(ElementState* e) {
    draw_grid(e, 0.0f, samdrup_cell);
}

static void end_samdrup() {
    g_fXrot -= g_fSpeed * 0.5f;
    g_fYrot -= g_fSpeed * 0.25f;
    advance_bob(g_fSpeed);
}

// index, order, view offsets, zero-fill, init, draw, phase rate, end of frame
static const SceneModule TSURPHU_SCENE = {
    4, RotationOrder::XYZ, 0, 0, 0, true, init_track_layout, draw_tsurphu, 1.0f, end_tsurphu};
static const SceneModule SAMDRUP_SCENE = {
    7, RotationOrder::ZYX, 7, -12, 1, true, init_track_layout, draw_samdrup, 1.0f, end_samdrup};

int DrawTsurphu() {
    return draw_scene_frame(TSURPHU_SCENE);
}
int DrawSamdrup() {
    return draw_scene_frame(SAMDRUP_SCENE);
}
