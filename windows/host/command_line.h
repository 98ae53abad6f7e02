// Reading Windows' screen-saver switches from the command line. Pure text handling: the
// caller checks window handles and runs the mode.
#pragma once

#include <cstdint>

enum class RunMode {
    Settings,           // settings dialog with no owner (empty tail)
    SettingsForeground, // settings dialog owned by the foreground window (C)
    Saver,              // full-screen run (S)
    Preview,            // child window in the host given by handle (P, L)
    ChangePassword,     // password change for the window given by handle (A)
    Invalid,            // anything else: the process ends with -1
};

struct RunRequest {
    RunMode mode;
    uint32_t handle; // decimal window handle after P, L or A; 0 when absent
};

// The command line after the program name (quoted or not) and the blanks that follow it.
const char* command_tail(const char* commandLine);

// Decimal digits from the start of text, wrapping in 32 bits; 0 when text starts otherwise.
uint32_t parse_window_handle(const char* text);

// The mode chosen by the first character of tail that is not a space, '-' or '/'.
RunRequest parse_switch(const char* tail);
