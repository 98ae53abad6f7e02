// Render-state globals and the navigation over enabled modules.
#include "core/render/render_state.h"

#include "core/settings/module_params.h"

int g_nModule = 1;
int g_nFadeState;
float g_fFadeAngle;
uint32_t g_dwCycleStart;
uint32_t g_dwLastFrame;
uint32_t g_dwVoiceTick;
int g_nVoice;
bool g_bSaverMode;
bool g_bFullScreen;
bool g_bQuit;
bool g_bTornDown;
bool g_bInFrame;
bool g_bDisplayOff;

int count_enabled_modules() {
    int count = 0;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        count += g_Mods[k].active != 0;
    return count;
}

// Walks at most 21 candidates from i in direction step (+1 or -1), wrapping within 1..20.
static int find_enabled_module(int i, int step) {
    int candidate = i;
    for (int tries = 0; tries <= MODULE_COUNT; ++tries) {
        candidate += step;
        if (candidate > MODULE_COUNT)
            candidate = 1;
        else if (candidate < 1)
            candidate = MODULE_COUNT;
        if (g_Mods[candidate].active)
            return candidate;
    }
    return 0;
}

int next_enabled_module(int i) {
    return find_enabled_module(i, +1);
}
int prev_enabled_module(int i) {
    return find_enabled_module(i, -1);
}
