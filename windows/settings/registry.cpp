// The Windows settings store: registry access on the selected key, the settings load and the
// import of the predecessor's settings.
#include "windows/settings/registry.h"

#include "core/platform.h"
#include "core/render/render_state.h"
#include "core/settings/module_params.h"
#include "core/settings/value_codec.h"
#include "windows/dialogs/message_box.h"

#include <cstdio>
#include <cstring>

const char* g_pszImportKey = PREDECESSOR_KEY;

// The key every operation opens; SETTINGS_KEY until something else is selected, so that no
// read or write can land in the root of the hive.
static char g_szRegPath[261] = "Software\\Quillon\\Velta II";
static char g_szRegClass[40];

namespace {

const char* const CHECKED_MARKER = "checked_for_velta_params";

// Opens the selected key, creating it when it is missing; false when that fails.
bool open_selected_key(HKEY* key) {
    DWORD disposition;
    return RegCreateKeyExA(HKEY_CURRENT_USER, g_szRegPath, 0, g_szRegClass, 0, KEY_ALL_ACCESS,
                           nullptr, key, &disposition) == ERROR_SUCCESS;
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

int32_t read_stored_value(const char* name, int32_t fallback) {
    return reg_read_dword(name, fallback);
}

bool write_stored_value(const char* name, int32_t value) {
    return reg_write_dword(name, value);
}

void offer_migration(HWND hwnd) {
    if (g_bSaverMode)
        return;
    if (reg_read_dword(CHECKED_MARKER, REG_MISSING) != REG_MISSING)
        return;
    char ours[sizeof g_szRegPath];
    std::memcpy(ours, g_szRegPath, sizeof ours);
    reg_set_key(hwnd, g_pszImportKey);
    if (reg_read_dword(MODULE_SETTINGS_MARK, REG_MISSING) != REG_MISSING &&
        g_pfnMessageBox(hwnd, "Do you want to use your old Velta settings for Velta_II?",
                        "Original Velta Screensaver Found", MB_YESNO) == IDYES) {
        // Only the predecessor's ten modules and its cycle time; the sound switch stays ours.
        read_module_values(10);
        g_nCycleTime = cycle_time_from_stored(reg_read_dword(CYCLE_TIME_VALUE, DEFAULT_CYCLE_TIME));
    }
    reg_set_key(hwnd, ours);
    // Written after Yes, No, and when there was nothing to import, so the question comes once.
    reg_write_dword(CHECKED_MARKER, 1);
}

void load_settings(HWND hwnd) {
    read_settings();
    offer_migration(hwnd);
    save_settings(); // creates every value on the first run
    start_with_first_module();
}
