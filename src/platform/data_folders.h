#pragma once

#include <string>

namespace corvane::platform {

// Where the per-user settings live: the user's documents folder + "Gaming Keyboard/", with one
// sub-folder per device. Every path ends in "/" and is built afresh on each call; the folders
// are created (one level each) when missing, and a failure to create them is not reported: the
// file operations inside then fail on their own. Empty when no home folder can be found.

// The documents folder as xdg-user-dir reports it: XDG_DOCUMENTS_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else $HOME/Documents. No trailing "/".
std::string DocumentsFolder();

std::string DataFolderPath();
std::string KeyboardFolderPath();
std::string MouseFolderPath();
std::string PadFolderPath();

// Removes temporary files that a crashed write left in the data folder and the device folders.
void RemoveStaleTemporaries();

// The folder of the shipped read-only files (skin/, defaults/), ending in "/": $CORVANE_HOME when
// set; else the executable's folder when it holds skin/ or defaults/ (a build tree); else the
// installed data folder found from the executable's (bin/../share/corvane/); else the one the
// build was configured for.
std::string ProgramFolder();

}  // namespace corvane::platform
