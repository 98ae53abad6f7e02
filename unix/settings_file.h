// The Linux program's settings file, $XDG_CONFIG_HOME/velta2/settings.ini (~/.config/velta2/ by
// default): the values of the Windows registry key, under the same names and in the same
// hundredth encoding, one "name=value" line each (read with spaces around the "=" too). It is the
// store behind read_stored_value and write_stored_value (core/platform.h). Main thread only.
#pragma once

#include <istream>
#include <string>

// The file's path from the environment; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string settings_file_path();

// Fills the store from the file. A missing file leaves the store empty (every setting at its
// default); an unreadable or corrupt one too, after a one-line warning on standard error.
void load_settings_file(const std::string& path);

// Fills the store from the text of a settings file; name stands for it in warnings. A line
// that is not a setting leaves the store empty and gives false after a one-line warning.
bool load_settings_text(std::istream& in, const std::string& name);

// The store as the file's text: a header, then one "name=value" line per value.
std::string settings_text();

// Writes the store to the file safely: a temporary file in the same folder (made if need be),
// flushed to disk and renamed over the old one, so that a crash leaves either file whole. A file
// the last load could not use is not written over but kept as PATH.bad. False after a one-line
// warning when that fails; the old file is then untouched.
bool save_settings_file(const std::string& path);
