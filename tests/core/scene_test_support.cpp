// Shared set-up of the scene tests.
#include "scene_test_support.h"

#include "core/settings/module_params.h"

#include <cstring>

void reset_scenes(std::initializer_list<int> enabled) {
    init_module_defaults();
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        g_Mods[k].active = 0;
        g_bFirstUse[k] = true;
        std::memset(module_elements(k), 0, sizeof(ElementState) * module_element_count(k));
    }
    for (int k : enabled)
        g_Mods[k].active = 1;
    g_fDepth = g_fHorz = g_fVert = 0.0f;
    g_fXrot = g_fYrot = g_fZrot = 0.0f;
    g_fSpeed = 0.5f;
    g_fPhase = 0.0f;
    g_fBob = 0.0f;
    g_bBobUp = true;
}
