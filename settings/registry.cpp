// Registry access on the selected key and the settings load, save and import built on it.
#include "settings/registry.h"

#include "render/render_state.h"
#include "scenes/random_generator.h"
#include "settings/message_box.h"
#include "settings/module_params.h"
#include "settings/registry_codec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

const char* g_pszImportKey = PREDECESSOR_KEY;

// The key every operation opens; SETTINGS_KEY until something else is selected, so that no
// read or write can land in the root of the hive.
static char g_szRegPath[261] = "Software\\Quillon\\Velta II";
static char g_szRegClass[40];

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

const char* const CHECKED_MARKER = "checked_for_velta_params";
const char* const CYCLE_TIME = "cycle time";
const char* const ENABLE_SOUND = "enable sound";

struct ValueName {
    char text[32];
};

ValueName module_value_name(int k, const char* word) {
    ValueName name;
    std::snprintf(name.text, sizeof name.text, "mod%d %s", k, word);
    return name;
}

// Opens the selected key, creating it when it is missing; false when that fails.
bool open_selected_key(HKEY* key) {
    DWORD disposition;
    return RegCreateKeyExA(HKEY_CURRENT_USER, g_szRegPath, 0, g_szRegClass, 0, KEY_ALL_ACCESS,
                           nullptr, key, &disposition) == ERROR_SUCCESS;
}

// A value whose stored form is the sentinel counts as absent. The value is read a second time
// for its content, as every stored field is.
bool read_present(const char* name, int32_t* value) {
    if (reg_read_dword(name, REG_MISSING) == REG_MISSING)
        return false;
    *value = reg_read_dword(name, 0);
    return true;
}

} // namespace

void reg_set_key(HWND hwnd, const char* path) {
    std::snprintf(g_szRegPath, sizeof g_szRegPath, "%s", path);
    g_szRegClass[0] = '\0';
    if (hwnd && GetClassNameA(hwnd, g_szRegClass, sizeof g_szRegClass) == 0)
        g_szRegClass[0] = '\0';
}

int32_t reg_read_dword(const char* name, int32_t fallback) {
    HKEY key;
    if (!open_selected_key(&key))
        return fallback;
    BYTE data[4];
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    // Longer values do not fit and shorter ones are not a number of ours: both count as absent.
    if (result != ERROR_SUCCESS || size != sizeof data)
        return fallback;
    const uint32_t bits = data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24;
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool reg_write_dword(const char* name, int32_t value) {
    HKEY key;
    if (!open_selected_key(&key))
        return false;
    const DWORD data = static_cast<DWORD>(value);
    const LONG result =
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

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
            reg_read_dword(module_value_name(k, "speed").text, encode_hundredths(def.speed)));
        int32_t active;
        const bool present = read_present(module_value_name(k, "active").text, &active);
        mod.active = switch_from_stored(present ? active : def.active) ? 1 : 0;
    }
}

void offer_migration(HWND hwnd) {
    if (g_bSaverMode)
        return;
    if (reg_read_dword(CHECKED_MARKER, REG_MISSING) != REG_MISSING)
        return;
    char ours[sizeof g_szRegPath];
    std::memcpy(ours, g_szRegPath, sizeof ours);
    reg_set_key(hwnd, g_pszImportKey);
    if (reg_read_dword("mod1 depth", REG_MISSING) != REG_MISSING &&
        g_pfnMessageBox(hwnd, "Do you want to use your old Velta settings for Velta_II?",
                        "Original Velta Screensaver Found", MB_YESNO) == IDYES) {
        // Only the predecessor's ten modules and its cycle time; the sound switch stays ours.
        read_module_values(10);
        g_nCycleTime = cycle_time_from_stored(reg_read_dword(CYCLE_TIME, DEFAULT_CYCLE_TIME));
    }
    reg_set_key(hwnd, ours);
    // Written after Yes, No, and when there was nothing to import, so the question comes once.
    reg_write_dword(CHECKED_MARKER, 1);
}

void save_settings() {
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        const ModuleParams& mod = g_Mods[k];
        for (const FloatField& f : GEOMETRY_FIELDS)
            reg_write_dword(module_value_name(k, f.word).text, encode_hundredths(mod.*f.field));
        reg_write_dword(module_value_name(k, "speed").text, encode_hundredths(mod.speed));
        reg_write_dword(module_value_name(k, "active").text, mod.active ? 1 : 0);
    }
    reg_write_dword(CYCLE_TIME, g_nCycleTime);
    reg_write_dword(ENABLE_SOUND, g_bSound ? 1 : 0);
}

void load_settings(HWND hwnd) {
    init_module_defaults();
    // "mod1 depth" marks a key that holds module settings at all; without it every module
    // keeps its built-in defaults.
    if (reg_read_dword("mod1 depth", REG_MISSING) != REG_MISSING)
        read_module_values(MODULE_COUNT);
    g_bSound = switch_from_stored(reg_read_dword(ENABLE_SOUND, 0));
    g_nCycleTime = cycle_time_from_stored(reg_read_dword(CYCLE_TIME, DEFAULT_CYCLE_TIME));
    offer_migration(hwnd);
    save_settings(); // creates every value on the first run
    g_nModule = next_enabled_module(0);
    load_module_params(g_nModule);
    seed_random(static_cast<uint32_t>(std::time(nullptr)));
}
