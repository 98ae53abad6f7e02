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

static void apply_view_transform(const SceneModule& m, const SceneState& s) {
    g_Draw.load_identity();
    g_Draw.translate(s.horz + m.viewOffsetX, s.vert + m.viewOffsetY,
                     -(s.depth + m.viewOffsetDepth));
    if (m.order == RotationOrder::ZYX) {
        rotate_z(s.zrot);
        rotate_y(s.yrot);
        rotate_x(s.xrot);
    } else {
        rotate_x(s.xrot);
        rotate_y(s.yrot);
        rotate_z(s.zrot);
    }
}

// Everything of the common frame but the drawing: false for a disabled module, which keeps its
// animation where it stands. Otherwise the state the frame draws goes into s and the module
// advances by one step.
static bool step_scene(const SceneModule& m, SceneState& s) {
    if (!g_Mods[m.index].active)
        return false;
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
    if (m.begin_step)
        m.begin_step();
    s.phase = g_fPhase;
    s.bob = g_fBob;
    s.depth = g_fDepth;
    s.horz = g_fHorz;
    s.vert = g_fVert;
    s.xrot = g_fXrot;
    s.yrot = g_fYrot;
    s.zrot = g_fZrot;
    s.flip = g_Flip;
    std::memcpy(s.elements, elements, sizeof(ElementState) * module_element_count(m.index));
    if (m.advance)
        m.advance(elements);
    g_fPhase += g_fSpeed * m.phaseRate;
    if (m.end_frame)
        m.end_frame();
    return true;
}

// The view transform and the module's shapes from s, then 1 if OpenGL reports no error.
static int draw_scene_state(const SceneModule& m, const SceneState& s) {
    apply_view_transform(m, s);
    m.draw(s);
    return g_Draw.get_error() == GL_NO_ERROR;
}

int draw_scene_frame(const SceneModule& m) {
    static SceneState s_State;
    g_Draw.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!step_scene(m, s_State))
        return 1;
    return draw_scene_state(m, s_State);
}

int DrawBlank() {
    g_Draw.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return g_Draw.get_error() == GL_NO_ERROR;
}

// Index -> module. A family of modules joins by adding its header above and its modules here.
static const SceneModule* const MODULE_SCENES[MODULE_COUNT + 1] = {
    nullptr,           // 0: no module enabled
    &SHECHEN_SCENE,    // 1
    &JOKHANG_SCENE,    // 2
    &MINDROLING_SCENE, // 3
    &TSURPHU_SCENE,    // 4
    &PALPUNG_SCENE,    // 5
    &KATHOK_SCENE,     // 6
    &SAMDRUP_SCENE,    // 7
    &DREPUNG_SCENE,    // 8
    &SERA_SCENE,       // 9
    &DZOGCHEN_SCENE,   // 10
    &MENRI_SCENE,      // 11
    &SAMYE_SCENE,      // 12
    &DORJE_DRAK_SCENE, // 13
    &NYINGMA_SCENE,    // 14
    &KAGYU_SCENE,      // 15
    &SAKYA_SCENE,      // 16
    &SURMANG_SCENE,    // 17
    &GANDEN_SCENE,     // 18
    &PALYUL_SCENE,     // 19
    &GELUG_SCENE,      // 20
};

int draw_module(int index) {
    if (index < 0 || index > MODULE_COUNT)
        return 1;
    if (index == 0)
        return DrawBlank();
    return draw_scene_frame(*MODULE_SCENES[index]);
}

// ---- Frames between steps ----

static SceneState g_KeptStates[2]; // the last two steps' states, alternately
static int g_nNewestState;         // which of them the last step left
static int g_nKeptStates;          // 0, 1 or 2 steps of g_nSteppedModule kept
static int g_nSteppedModule = -1;

void step_module(int index) {
    if (index != g_nSteppedModule)
        g_nKeptStates = 0;
    g_nSteppedModule = index;
    if (index < 1 || index > MODULE_COUNT) {
        g_nKeptStates = 0;
        return;
    }
    SceneState& next = g_KeptStates[1 - g_nNewestState];
    if (!step_scene(*MODULE_SCENES[index], next)) {
        g_nKeptStates = 0;
        return;
    }
    g_nNewestState = 1 - g_nNewestState;
    if (g_nKeptStates < 2)
        ++g_nKeptStates;
}

int stepped_module() {
    return g_nSteppedModule;
}

// Outside a jump, every field of an element is blended: the ones a module does not draw
// (velocities, spare fields) come out blended too, unused.
static void blend_states(const SceneModule& m, const SceneState& a, const SceneState& b, float f,
                         SceneState& out) {
    out = b;
    // The phase only grows; a smaller one wrapped, or started again with the module's view
    // (the same module chosen again), and is drawn as it is now.
    if (b.phase >= a.phase)
        out.phase = blend_value(a.phase, b.phase, f);
    out.bob = blend_value(a.bob, b.bob, f);
    out.depth = blend_value(a.depth, b.depth, f);
    out.horz = blend_value(a.horz, b.horz, f);
    out.vert = blend_value(a.vert, b.vert, f);
    out.xrot = blend_value(a.xrot, b.xrot, f);
    out.yrot = blend_value(a.yrot, b.yrot, f);
    out.zrot = blend_value(a.zrot, b.zrot, f);
    const int n = module_element_count(m.index);
    for (int e = 0; e < n; ++e) {
        if (m.jumped && m.jumped(a.elements[e], b.elements[e]))
            continue;
        const float* from = &a.elements[e].x;
        const float* to = &b.elements[e].x;
        float* into = &out.elements[e].x;
        for (size_t i = 0; i < sizeof(ElementState) / sizeof(float); ++i)
            into[i] = blend_value(from[i], to[i], f);
    }
    if (m.blend)
        m.blend(a, b, f, out);
}

int draw_module_between(int index, float f) {
    if (index == 0)
        return DrawBlank();
    g_Draw.clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (index != g_nSteppedModule || g_nKeptStates == 0)
        return 1;
    const SceneModule& m = *MODULE_SCENES[index];
    const SceneState& newest = g_KeptStates[g_nNewestState];
    if (g_nKeptStates == 1)
        return draw_scene_state(m, newest);
    const SceneState& before = g_KeptStates[1 - g_nNewestState];
    if (f <= 0.0f)
        return draw_scene_state(m, before);
    static SceneState s_Blended;
    blend_states(m, before, newest, f < 1.0f ? f : 1.0f, s_Blended);
    return draw_scene_state(m, s_Blended);
}
