// The settings as stored values: their names, the read rules and the complete read and write,
// on whatever store the platform keeps them in.
#include "core/settings/stored_settings.h"

#include "core/platform.h"
#include "core/render/render_state.h"
#include "core/scenes/random_generator.h"
#include "core/settings/module_params.h"
#include "core/settings/value_codec.h"

#include <cstdio>
#include <ctime>

namespace {

// The six geometry fields of a module record in storage order; speed and active follow them
// with read rules of their own.
struct FloatField {
    const char* word;
    float ModuleParams::*field;
};

const FloatField GEOMETRY_FIELDS[] = {
    {"depth", &ModuleParams::depth}, {"horz", &ModuleParams::horz}, {"vert", &ModuleParams::vert},
    {"xrot", &ModuleParams::xrot},   {"yrot", &ModuleParams::yrot}, {"zrot", &ModuleParams::zrot},
};

struct ValueName {
    char text[32];
};

ValueName module_value_name(int k, const char* word) {
    ValueName name;
    std::snprintf(name.text, sizeof name.text, "mod%d %s", k, word);
    return name;
}

// A value whose stored form is the sentinel counts as absent. The value is read a second time
// for its content, as every stored field is.
bool read_present(const char* name, int32_t* value) {
    if (read_stored_value(name, REG_MISSING) == REG_MISSING)
        return false;
    *value = read_stored_value(name, 0);
    return true;
}

} // namespace

void read_module_values(int last) {
    for (int k = 1; k <= last && k <= MODULE_COUNT; ++k) {
        ModuleParams& mod = g_Mods[k];
        const ModuleParams& def = g_ModDefaults[k];
        for (const FloatField& f : GEOMETRY_FIELDS) {
            int32_t stored;
            const bool present = read_present(module_value_name(k, f.word).text, &stored);
            mod.*f.field = present ? decode_hundredths(stored) : def.*f.field;
        }
        // Speed has no sentinel: a missing speed reads as the default's stored form.
        mod.speed = speed_from_stored(
            read_stored_value(module_value_name(k, "speed").text, encode_hundredths(def.speed)));
        int32_t active;
        const bool present = read_present(module_value_name(k, "active").text, &active);
        mod.active = switch_from_stored(present ? active : def.active) ? 1 : 0;
    }
}

void read_settings() {
    init_module_defaults();
    // "mod1 depth" marks a store that holds module settings at all; without it every module
    // keeps its built-in defaults.
    if (read_stored_value(MODULE_SETTINGS_MARK, REG_MISSING) != REG_MISSING)
        read_module_values(MODULE_COUNT);
    g_bSound = switch_from_stored(read_stored_value(ENABLE_SOUND_VALUE, 0));
    g_nCycleTime = cycle_time_from_stored(read_stored_value(CYCLE_TIME_VALUE, DEFAULT_CYCLE_TIME));
}

void save_settings() {
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        const ModuleParams& mod = g_Mods[k];
        for (const FloatField& f : GEOMETRY_FIELDS)
            write_stored_value(module_value_name(k, f.word).text, encode_hundredths(mod.*f.field));
        write_stored_value(module_value_name(k, "speed").text, encode_hundredths(mod.speed));
        write_stored_value(module_value_name(k, "active").text, mod.active ? 1 : 0);
    }
    write_stored_value(CYCLE_TIME_VALUE, g_nCycleTime);
    write_stored_value(ENABLE_SOUND_VALUE, g_bSound ? 1 : 0);
}

void start_with_first_module() {
    g_nModule = next_enabled_module(0);
    load_module_params(g_nModule);
    seed_random(static_cast<uint32_t>(std::time(nullptr)));
}
