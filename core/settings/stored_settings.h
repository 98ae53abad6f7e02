// The settings as stored values: the twenty modules' view parameters and switches, the cycle
// time and the sound switch, under the same names and in the same hundredth encoding on every
// platform. Main thread only.
#pragma once

#include <cstdint>

constexpr const char* CYCLE_TIME_VALUE = "cycle time";
constexpr const char* ENABLE_SOUND_VALUE = "enable sound";
// Present in a store that holds module settings at all.
constexpr const char* MODULE_SETTINGS_MARK = "mod1 depth";

// Reads modules 1..last into g_Mods; what is missing comes from g_ModDefaults.
void read_module_values(int last);
// The built-in defaults, then the stored modules, sound switch and cycle time by their read
// rules (out-of-range speeds held, a negative cycle time the default, any switch above 0 on).
void read_settings();
// Writes the twenty module records, the cycle time and the sound switch.
void save_settings();
// After a load: the first enabled module on screen with its view, and a fresh random seed.
void start_with_first_module();
