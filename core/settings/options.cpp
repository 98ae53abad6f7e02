// Reading the module options, and their place beside the stored choices during a run.
#include "core/settings/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// "1,3,5-7": single modules and ranges, each within 1..20.
bool read_module_list(const char* text, bool (&modules)[MODULE_COUNT + 1]) {
    bool any = false;
    bool chosen[MODULE_COUNT + 1] = {};
    const char* p = text;
    for (;;) {
        char item[16];
        const size_t length = std::strcspn(p, ",");
        if (length == 0 || length >= sizeof item)
            return false;
        std::memcpy(item, p, length);
        item[length] = '\0';
        long first, last;
        char* dash = std::strchr(item, '-');
        if (dash) {
            *dash = '\0';
            if (!read_number(item, 1, MODULE_COUNT, false, &first) ||
                !read_number(dash + 1, 1, MODULE_COUNT, false, &last) || first > last)
                return false;
        } else if (!read_number(item, 1, MODULE_COUNT, false, &first)) {
            return false;
        } else {
            last = first;
        }
        for (long k = first; k <= last; ++k)
            chosen[k] = any = true;
        p += length;
        if (*p == '\0')
            break;
        ++p; // the comma; a trailing one leaves an empty item, refused above
    }
    std::memcpy(modules, chosen, sizeof chosen);
    return any;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The module that "-no-NAME" leaves out, from the NAME part: its name in lower case with a dash
// for each space ("dorje-drak"); 0 for none.
int module_of_option_name(const char* text) {
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        const char* name = module_name(k);
        size_t i = 0;
        while (name[i] && text[i] &&
               (name[i] == ' ' ? text[i] == '-' : ascii_lower(name[i]) == text[i]))
            ++i;
        if (!name[i] && !text[i])
            return k;
    }
    return 0;
}

} // namespace

bool read_number(const char* text, long low, long high, bool hex, long* value) {
    int base = 10;
    if (hex && text && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (!text || !*text || *text == '-' || *text == '+' || *text == ' ')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long n = std::strtoull(text, &end, base);
    if (errno != 0 || *end != '\0' || n < static_cast<unsigned long long>(low) ||
        n > static_cast<unsigned long long>(high))
        return false;
    *value = static_cast<long>(n);
    return true;
}

bool module_option_takes_value(const char* name) {
    return std::strcmp(name, "-module") == 0 || std::strcmp(name, "-modules") == 0 ||
           std::strcmp(name, "-cycle") == 0;
}

OptionRead read_module_option(ModuleOptionReader& reader, const char* name, const char* value) {
    ModuleOptions& o = reader.options;
    long n = 0;
    bool ok = true;
    if (std::strcmp(name, "-module") == 0) {
        ok = read_number(value, 1, MODULE_COUNT, false, &n);
        if (ok) {
            std::memset(o.modules, 0, sizeof o.modules);
            o.modules[n] = true;
        }
        reader.modulesGiven = true;
    } else if (std::strcmp(name, "-modules") == 0) {
        ok = read_module_list(value, o.modules);
        reader.modulesGiven = true;
    } else if (std::strcmp(name, "-cycle") == 0) {
        ok = read_number(value, CYCLE_SECONDS_MIN, CYCLE_SECONDS_MAX, false, &n);
        if (ok)
            o.cycleSeconds = static_cast<int>(n);
    } else if (std::strcmp(name, "-sound") == 0) {
        o.sound = true;
    } else if (std::strcmp(name, "-no-sound") == 0) {
        o.sound = false;
    } else if (std::strcmp(name, "-fps") == 0) {
        o.fps = true;
    } else if (std::strcmp(name, "-stepped") == 0) {
        o.stepped = true;
    } else if (std::strcmp(name, "-every-refresh") == 0) {
        o.everyRefresh = true;
    } else if (std::strncmp(name, "-no-", 4) == 0 && module_of_option_name(name + 4)) {
        reader.leftOut[module_of_option_name(name + 4)] = true;
    } else {
        return OptionRead::Unknown;
    }
    return ok ? OptionRead::Taken : OptionRead::Refused;
}

ModuleOptions finish_module_options(const ModuleOptionReader& reader) {
    ModuleOptions o = reader.options;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        o.modules[k] = (o.modules[k] || !reader.modulesGiven) && !reader.leftOut[k];
    return o;
}

StoredChoices current_choices() {
    StoredChoices now = {};
    for (int k = 1; k <= MODULE_COUNT; ++k)
        now.active[k] = g_Mods[k].active;
    now.cycleTime = g_nCycleTime;
    now.sound = g_bSound;
    return now;
}

StoredChoices apply_module_options(const ModuleOptions& options) {
    const StoredChoices held = current_choices();
    for (int k = 1; k <= MODULE_COUNT; ++k)
        g_Mods[k].active = options.modules[k] ? 1 : 0;
    g_nCycleTime = options.cycleSeconds;
    g_bSound = options.sound;
    return held;
}

void restore_stored_choices(const StoredChoices& held) {
    for (int k = 1; k <= MODULE_COUNT; ++k)
        g_Mods[k].active = held.active[k];
    g_nCycleTime = held.cycleTime;
    g_bSound = held.sound;
}
