// What a desktop host's settings panel chose for the page (Lively Wallpaper's properties,
// Wallpaper Engine's user properties): the module, the seconds per module and the sound, each in
// place of the URL's option of the same meaning. Plain values only.
#pragma once

#include "core/settings/options.h"

// Each choice is -1 until the host makes it.
struct HostChoices {
    int module = -1; // 0: every module; k: module k alone
    int cycleSeconds = -1;
    int sound = -1; // 0 off, 1 on
};

enum class HostChoiceRead {
    Taken,
    Unknown, // a setting of the host's that is none of the page's: left to the host
    Refused, // one of the page's with a value it cannot take
};

// Takes the host's setting name = value: "module" a whole number 0..20, "cycle" seconds within
// the options' range (rounded to whole seconds), "sound" 0 or 1. When refused, a one-line message
// naming it is in error and host is untouched.
HostChoiceRead read_host_choice(HostChoices* host, const char* name, double value,
                                char (&error)[OPTION_ERROR_SIZE]);
// The options in force: those of the URL, with each choice the host made in place of the URL's
// (a module chosen there replaces the URL's module, modules and no-NAME options together).
ModuleOptions with_host_choices(ModuleOptions options, const HostChoices& host);
