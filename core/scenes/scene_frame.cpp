// The frame every module follows, the element tables and the module table from index to
// draw operation.
#include "core/scenes/scene_frame.h"

#include "core/scenes/draw_ops.h"
#include "core/scenes/drift_module.h"
#include "core/scenes/fixed_ring_modules.h"
#include "core/scenes/flip_module.h"
#include "core/scenes/grid_modules.h"
#include "core/scenes/orbit_modules.h"
#include "core/scenes/ring_modules.h"
#include "core/scenes/spiral_modules.h"
#include "core/scenes/track_modules.h"

#include <cstring>

float g_fBob = 0.0f;
bool g_bBobUp = true;
bool g_bFirstUse[MODULE_COUNT + 1] = {true, true, true, true, true, true, true,
                                      true, true, true, true, true, true, true,
                                      true, true, true, true, true, true, true};

// Modules 1 to 17 own 30 records each, modules 18 to 20 own 36.
constexpr int FIRST_LARGE_TABLE = 18;
static ElementState g_SmallTables[FIRST_LARGE_TABLE - 1][ELEMENT_TABLE_SIZE];
static ElementState g_LargeTables[MODULE_COUNT - FIRST_LARGE_TABLE + 1][LARGE_ELEMENT_TABLE_SIZE];

ElementState* module_elements(int k) {
    if (k < FIRST_LARGE_TABLE)
        return g_SmallTables[k - 1];
    return g_LargeTables[k - FIRST_LARGE_TABLE];
}

int module_element_count(int k) {
    return k < FIRST_LARGE_TABLE ? ELEMENT_TABLE_SIZE : LARGE_ELEMENT_TABLE_SIZE;
}

static void apply_view_transform(const SceneModule& m) {
    g_Draw.load_identity();
    g_Draw.translate(g_fHorz + m.viewOffsetX, g_fVert + m.viewOffsetY,
                     -(g_fDepth + m.viewOffsetDepth));
    if (m.order == RotationOrder::ZYX) {
        rotate_z(g_fZrot);
        rotate_y(g_fYrot);
        rotate_x(g_fXrot);
    } else {
        rotate_x(g_fXrot);
        rotate_y(g_fYrot);
        rotate_z(g_fZrot);
    }
}

int draw_scene_frame(const SceneModule& m) {
    g_Draw.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // A disabled module shows black and keeps its animation where it stands.
    if (!g_Mods[m.index].active)
        return 1;
    if (g_fPhase > PHASE_WRAP)
        g_fPhase -= PHASE_WRAP;
    ElementState* elements = module_elements(m.index);
    if (g_bFirstUse[m.index]) {
        g_bFirstUse[m.index] = false;
        if (m.zeroFill)
            std::memset(elements, 0, sizeof(ElementState) * module_element_count(m.index));
        if (m.init)
            m.init(elements);
    }
    apply_view_transform(m);
    m.draw(elements);
    g_fPhase += g_fSpeed * m.phaseRate;
    if (m.end_frame)
        m.end_frame();
    return g_Draw.get_error() == GL_NO_ERROR;
}

int DrawBlank() {
    g_Draw.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return g_Draw.get_error() == GL_NO_ERROR;
}

// Index -> draw operation. A family of modules joins by adding its header above and its
// draw operations here.
static int (*const MODULE_DRAW[MODULE_COUNT + 1])() = {
    DrawBlank,      // 0: no module enabled
    DrawShechen,    // 1
    DrawJokhang,    // 2
    DrawMindroling, // 3
    DrawTsurphu,    // 4
    DrawPalpung,    // 5
    DrawKathok,     // 6
    DrawSamdrup,    // 7
    DrawDrepung,    // 8
    DrawSera,       // 9
    DrawDzogchen,   // 10
    DrawMenri,      // 11
    DrawSamye,      // 12
    DrawDorjeDrak,  // 13
    DrawNyingma,    // 14
    DrawKagyu,      // 15
    DrawSakya,      // 16
    DrawSurmang,    // 17
    DrawGanden,     // 18
    DrawPalyul,     // 19
    DrawGelug,      // 20
};

int draw_module(int index) {
    if (index < 0 || index > MODULE_COUNT)
        return 1;
    return MODULE_DRAW[index]();
}
