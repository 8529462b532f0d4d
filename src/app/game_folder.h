// Finding the game's "Data Files" folder at start-up, so that file dialogs open there.
#pragma once

#include <string>

namespace vellum::app {

// Where the lookups look. Tests point these at files of their own.
struct GameFolderSources {
    bool useRegistry = true;  // Windows: the installation's registry value
    std::string winePrefix;   // elsewhere: a Wine prefix holding system.reg and drive_c
    std::string openmwConfig; // elsewhere: OpenMW's openmw.cfg
};

// The sources of this machine: the registry on Windows; elsewhere WINEPREFIX (else ~/.wine) and
// $XDG_CONFIG_HOME/openmw/openmw.cfg (else ~/.config/openmw/openmw.cfg).
GameFolderSources DefaultGameFolderSources();

// The game's Data Files folder, or an empty string when no installation was found. The registry value
// "Installed Path" under "SOFTWARE\Bethesda Softworks\Morrowind" comes first (read from the Wine prefix's
// system.reg outside Windows, its drive letter mapped into the prefix), then the first data folder that
// OpenMW's configuration names.
std::string FindDataFilesFolder(const GameFolderSources& sources);

} // namespace vellum::app
