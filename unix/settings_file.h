// The Linux program's settings file, $XDG_CONFIG_HOME/velta2/settings.ini (~/.config/velta2/ by
// default): the values of the Windows registry key, under the same names and in the same
// hundredth encoding, one "name=value" line each (read with spaces around the "=" too). It is the
// store behind read_stored_value and write_stored_value (core/platform.h). Several copies of the
// programs may share it (one per monitor, ended together): each saves only the values it changed.
// Main thread only.
#pragma once

#include <istream>
#include <string>

// The file's path from the environment; empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string settings_file_path();

// Fills the store from the file. A missing file leaves the store empty (every setting at its
// default); an unreadable or corrupt one too, after a one-line warning on standard error. The
// store as loaded is what a save compares with.
void load_settings_file(const std::string& path);

// Fills the store from the text of a settings file; name stands for it in warnings. A line
// that is not a setting leaves the store empty and gives false after a one-line warning.
bool load_settings_text(std::istream& in, const std::string& name);

// Takes the store as it is now as what this run began with: a save writes only the values that
// differ from it. For the values a load fills in or normalises before the run starts.
void mark_store_as_loaded();

// The store as the file's text: a header, then one "name=value" line per value.
std::string settings_text();

// Saves the values that changed since the load into the file as it is on disk now, keeping what
// other copies saved meanwhile; names the file lacks are filled in from the store. Holds a lock
// on the folder while it reads, merges and writes, and writes through a temporary file of its
// own, flushed to disk and renamed over the old one, so a crash leaves either file whole and no
// copy can rename or cut short another's. Nothing changed: nothing is written. A file that cannot
// be used is not written over but kept as PATH.bad and replaced by the store. False after a
// one-line warning when the save fails; the old file is then untouched.
bool save_settings_file(const std::string& path);
