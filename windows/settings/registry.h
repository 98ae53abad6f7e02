// Settings persistence under HKEY_CURRENT_USER: the selected key, 32-bit value reads and
// writes, the complete settings load and save, and the one-time import of the predecessor's
// settings. Main thread only. Every failure is silent and falls back to the built-in defaults.
#pragma once

#include "core/settings/stored_settings.h" // the read and write of the settings themselves

#include <windows.h>

#include <cstdint>

constexpr const char* SETTINGS_KEY = "Software\\Quillon\\Velta II";
constexpr const char* PREDECESSOR_KEY = "Software\\Quillon\\Velta";

// The key the import reads from; PREDECESSOR_KEY unless a test points it elsewhere.
extern const char* g_pszImportKey;

// Selects the key path (at most 260 characters are kept) that every following registry
// operation opens; the window's class name (at most 39 characters) becomes the class of a key
// that an operation creates. The window may be none.
void reg_set_key(HWND hwnd, const char* path);
// Opens or creates the selected key and reads a 4-byte value, whatever its registry type.
// Returns fallback when the key cannot be opened, the value is absent, or it is not exactly
// four bytes long.
int32_t reg_read_dword(const char* name, int32_t fallback);
// Opens or creates the selected key and sets a REG_DWORD; true when the value was set.
bool reg_write_dword(const char* name, int32_t value);

// The complete settings load for the saver window or the settings dialog, with SETTINGS_KEY
// already selected: defaults, stored values, the import question (settings dialog only), the
// write-back of every value, the first enabled module on screen, the random seed.
void load_settings(HWND hwnd);
// Asks once per user, and only from the settings dialog, whether to take over the
// predecessor's settings of modules 1..10 and its cycle time. Leaves the key that was selected
// on entry selected again.
void offer_migration(HWND hwnd);
