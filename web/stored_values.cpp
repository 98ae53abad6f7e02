// The stored values in localStorage, written only where this page changed them: another tab may
// have steered other views since this one read the store, and a save that wrote every value back
// would undo that. Tabs that steer one view at the same time: the last to steer it wins.
#include "web/stored_values.h"

#include "core/platform.h"
#include "core/settings/stored_settings.h"
#include "core/settings/value_codec.h"

#include <emscripten.h>

#include <cstring>
#include <map>
#include <string>

namespace {

std::map<std::string, int32_t> g_Known; // what the page read or last wrote, by name
bool g_bLearning;                       // writes only note the value

bool store_holds(const char* name) {
    return read_stored_value(name, REG_MISSING) != REG_MISSING;
}

} // namespace

// A stored value is a decimal 32-bit integer under the value's own name. Anything else there
// counts as absent, with one warning per name; a store that cannot be reached at all (storage
// turned off) is warned of once and holds nothing.
EM_JS(int, js_read_stored_value, (const char* name, int32_t* value),
      { return Module.veltaStore.read(UTF8ToString(name), value); });

EM_JS(int, js_write_stored_value, (const char* name, int32_t value),
      { return Module.veltaStore.write(UTF8ToString(name), value); });

int32_t read_stored_value(const char* name, int32_t fallback) {
    int32_t value = fallback;
    return js_read_stored_value(name, &value) ? value : fallback;
}

bool write_stored_value(const char* name, int32_t value) {
    if (g_bLearning) {
        g_Known[name] = value;
        return true;
    }
    const auto known = g_Known.find(name);
    if (known != g_Known.end() && known->second == value)
        return true;
    // The module values of a store without the mark are not read: the mark goes in with the
    // first value this page writes, holding what this page shows for it.
    if (std::strcmp(name, MODULE_SETTINGS_MARK) != 0 && !store_holds(MODULE_SETTINGS_MARK)) {
        const auto mark = g_Known.find(MODULE_SETTINGS_MARK);
        if (mark != g_Known.end() && !js_write_stored_value(MODULE_SETTINGS_MARK, mark->second))
            return false;
    }
    if (!js_write_stored_value(name, value))
        return false;
    g_Known[name] = value;
    return true;
}

void learn_stored_values() {
    g_bLearning = true;
    save_settings(); // names every value with what the page holds for it
    g_bLearning = false;
}
