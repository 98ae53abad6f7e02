// The options every program reads in its own form (the Linux program's command line, the
// page's URL): which modules are shown, how long each, the sound and the frame-rate report, and
// how they stand in for the stored choices during a run. Plain values only.
#pragma once

#include "core/settings/module_params.h"

constexpr int CYCLE_SECONDS_MIN = 1;
constexpr int CYCLE_SECONDS_MAX = 9999;
constexpr int OPTION_ERROR_SIZE = 160;

struct ModuleOptions {
    bool modules[MODULE_COUNT + 1] = {}; // entry k: module k enabled; entry 0 unused
    int cycleSeconds = 15;
    bool sound = false;
    bool fps = false;
    bool stepped = false;      // one frame per 31 ms step, as the Windows saver paces them
    bool everyRefresh = false; // a frame at every refresh of the display, also above 75 Hz
};

// The module options read so far, in the order given.
struct ModuleOptionReader {
    ModuleOptions options;
    bool modulesGiven = false;           // -module or -modules: only the modules named
    bool leftOut[MODULE_COUNT + 1] = {}; // by -no-NAME, whatever the order of the options
};

enum class OptionRead {
    Taken,   // a module option with a good value
    Unknown, // no module option of that name
    Refused, // a module option whose value is out of range or malformed
};

// Whether the option of that name (with one dash: "-module") takes a value.
bool module_option_takes_value(const char* name);
// Reads -module N, -modules LIST ("1,3,5-7"), -no-NAME (module NAME left out, in lower case
// with a dash for a space: "-no-dorje-drak"), -cycle SECONDS, -sound, -no-sound and -fps; value
// is the option's value for those that take one, else ignored. -stepped and -every-refresh
// choose the pacing.
OptionRead read_module_option(ModuleOptionReader& reader, const char* name, const char* value);
// The options read: without -module or -modules all twenty modules are shown, less those left
// out (all left out: a black screen, as the Windows saver shows with every module disabled).
ModuleOptions finish_module_options(const ModuleOptionReader& reader);

// A whole number in [low, high] in decimal or, where hex is set, also in 0x hexadecimal;
// nothing before or after it.
bool read_number(const char* text, long low, long high, bool hex, long* value);

// What the store held for the choices the options make, handed back unchanged when the
// settings are saved, so that the store keeps only the steered views of a run.
struct StoredChoices {
    uint8_t active[MODULE_COUNT + 1];
    int cycleTime;
    bool sound;
};

// The module switches, cycle time and sound switch in force now.
StoredChoices current_choices();
// Puts the options' modules, cycle time and sound in place of the stored ones (read first) and
// returns the stored ones.
StoredChoices apply_module_options(const ModuleOptions& options);
// Puts choices back: the stored ones before a save, the running ones after it.
void restore_stored_choices(const StoredChoices& held);
