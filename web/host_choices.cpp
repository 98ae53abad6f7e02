// A desktop host's choices, read and laid over the URL's options.
#include "web/host_choices.h"

#include <cmath>
#include <cstdio>
#include <cstring>

HostChoiceRead read_host_choice(HostChoices* host, const char* name, double value,
                                char (&error)[OPTION_ERROR_SIZE]) {
    int* choice;
    double low, high;
    if (std::strcmp(name, "module") == 0) {
        choice = &host->module;
        low = 0;
        high = MODULE_COUNT;
    } else if (std::strcmp(name, "cycle") == 0) {
        choice = &host->cycleSeconds;
        low = CYCLE_SECONDS_MIN;
        high = CYCLE_SECONDS_MAX;
        value = std::round(value); // a slider may hand over 14.999
    } else if (std::strcmp(name, "sound") == 0) {
        choice = &host->sound;
        low = 0;
        high = 1;
    } else {
        return HostChoiceRead::Unknown;
    }
    // NaN fails every comparison, so it is refused with the fractions and the values outside.
    if (!(value >= low && value <= high && value == std::floor(value))) {
        std::snprintf(error, sizeof error, "bad value for %s: %g", name, value);
        return HostChoiceRead::Refused;
    }
    *choice = static_cast<int>(value);
    return HostChoiceRead::Taken;
}

ModuleOptions with_host_choices(ModuleOptions options, const HostChoices& host) {
    if (host.module >= 0)
        for (int k = 1; k <= MODULE_COUNT; ++k)
            options.modules[k] = host.module == 0 || host.module == k;
    if (host.cycleSeconds >= 0)
        options.cycleSeconds = host.cycleSeconds;
    if (host.sound >= 0)
        options.sound = host.sound == 1;
    return options;
}
