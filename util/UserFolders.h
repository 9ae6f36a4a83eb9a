#pragma once
// Where the user's own folders are, as the system keeps them: the environment's variables read
// as UTF-8, and the user's Favorites folder.

#include <string>

namespace pernard {

// An environment variable's value as UTF-8; empty when it is not set. On Windows it is read
// through the wide-character environment, so that a user name in Japanese or with a character
// beyond U+FFFF arrives whole.
std::string EnvironmentVariable(const char* name);

// The user's Favorites folder: on Windows the known folder FOLDERID_Favorites (wherever the
// user or an administrator moved it), else %USERPROFILE%\Favorites. Empty elsewhere: other
// systems keep no such folder.
std::string DefaultFavoritesDirectory();

// The folder the program keeps its own data in (its history, its syncs' states):
// %LOCALAPPDATA%\Pernard on Windows, $XDG_DATA_HOME/pernard (~/.local/share/pernard) elsewhere.
// Empty when the environment names none.
std::string ProgramDataDirectory();

}  // namespace pernard
