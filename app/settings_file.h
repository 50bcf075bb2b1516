#pragma once

#include <string>

// Where OrvixManager.ini lives:
//   - $ORVIX_SETTINGS, when set and not empty: that path exactly (tests, demo);
//   - otherwise the executable's folder, when the file exists there or the
//     folder is writable;
//   - otherwise $XDG_CONFIG_HOME/OrvixManager/OrvixManager.ini
//     (~/.config/OrvixManager/OrvixManager.ini without XDG_CONFIG_HOME), so an
//     installed program keeps its clock reference.
std::string SettingsFileName();

// The same rules for a given executable folder.
std::string SettingsFileNameFor(const std::string& exeDir);

// SettingsFileName(), creating its folder when missing; for writing. Raises
// EIniFileException "Unable to write to <file>" if the folder cannot be made.
std::string SettingsFileForWrite();
