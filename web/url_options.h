// The page's options, read from its URL's query with the names and meanings of the Linux
// program's options: ?module=N, ?modules=1,3,5-7, ?no-NAME, ?cycle=S, ?sound=1, ?fps=1, and the
// page's pacing: ?stepped=1 (a frame per 31 ms step), ?every-refresh=1 (no cap of 75 frames a
// second). Plain values only.
#pragma once

#include "core/settings/options.h"

// Reads the query (with or without its leading "?"; "&" between options, "%XX" and "+"
// decoded). On an unknown option or a bad value, false with a one-line message naming it in
// error, and options untouched.
bool parse_url_options(const char* query, ModuleOptions* options, char (&error)[OPTION_ERROR_SIZE]);
