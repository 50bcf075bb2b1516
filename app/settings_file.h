#pragma once

#include <string>

// Where OrvixManager.ini lives:
//   - $ORVIX_SETTINGS, when set and not empty: that path exactly (tests, demo);
//   - for an installed program (see ProgramIsInstalled): the per-user file
//     $XDG_CONFIG_HOME/OrvixManager/OrvixManager.ini
//     (~/.config/OrvixManager/OrvixManager.ini without XDG_CONFIG_HOME) when
//     it exists; else the file beside the executable when one exists there
//     (an administrator's default for every user); else the per-user file.
//     Nothing is ever written beside the executable, also not as root: the
//     first write copies that default to the per-user file and goes there;
//   - otherwise (a build or portable folder) the executable's folder, when the
//     file exists there or the folder is writable; else the per-user file.
std::string SettingsFileName();

// The same rules for a given executable folder.
std::string SettingsFileNameFor(const std::string& exeDir);

// Whether the executable's folder is that of an installed program: /usr/bin,
// /usr/local/bin, or any PREFIX/bin whose PREFIX/share/applications holds the
// program's desktop entry.
bool ProgramIsInstalled(const std::string& exeDir);

// The file to write, its folder made when missing. Raises EIniFileException
// "Unable to write to <file>" if the folder cannot be made or the default
// cannot be copied.
std::string SettingsFileForWrite();
std::string SettingsFileForWriteFor(const std::string& exeDir);
