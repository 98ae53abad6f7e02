// Settings load and save. Nothing is stored yet: every run starts from the built-in
// defaults.
#include "settings/registry.h"

#include "render/render_state.h"
#include "scenes/random_generator.h"
#include "settings/module_params.h"

#include <ctime>

void reg_set_key(HWND, const char*) {}

void load_settings(HWND) {
    init_module_defaults();
    g_nModule = next_enabled_module(0);
    load_module_params(g_nModule);
    seed_random(static_cast<uint32_t>(std::time(nullptr)));
}

void save_settings() {}
