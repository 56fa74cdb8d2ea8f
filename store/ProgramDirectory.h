#pragma once
#include <string>

namespace brindlex {

// The per-user application directory: $BRINDLEX_HOME, else $XDG_DATA_HOME/Tarnwell, else
// ~/.local/share/Tarnwell. It is created when missing (a failure shows later, when a
// file cannot be written there).
std::string programDirectory();
// The default database in that directory: "Brindlex.bdx".
std::string defaultDatabasePath();
// Whether the default database exists yet (false on the first run).
bool defaultDatabaseExists();

}  // namespace brindlex
