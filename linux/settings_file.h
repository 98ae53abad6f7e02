// The Linux program's settings file, $XDG_CONFIG_HOME/velta2/settings.ini (~/.config/velta2/ by
// default): the values of the Windows registry key, under the same names and in the same
// hundredth encoding, one "name=value" line each. It is the store behind read_stored_value and
// write_stored_value (core/platform.h). Main thread only.
#pragma once

#include <string>

// The file's path from the environment; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string settings_file_path();

// Fills the store from the file. A missing file leaves the store empty (every setting at its
// default); an unreadable or corrupt one too, after a one-line warning on standard error.
void load_settings_file(const std::string& path);

// Writes the store to the file safely: a temporary file in the same folder (made if need be),
// flushed to disk and renamed over the old one, so that a crash leaves either file whole. A file
// the last load could not use is not written over but kept as PATH.bad. False after a one-line
// warning when that fails; the old file is then untouched.
bool save_settings_file(const std::string& path);
