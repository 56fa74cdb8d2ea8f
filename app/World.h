#pragma once
#include <memory>
#include <string>

#include "explorer/Services.h"
#include "platform/Clock.h"
#include "platform/PosixProgramStarter.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtSettingsStore.h"
#include "store/LinkStore.h"

namespace brindlex {

// The application directory: $BRINDLEX_HOME when set, else $XDG_DATA_HOME/Tarnwell
// (default ~/.local/share/Tarnwell). Created when missing.
std::string applicationDirectory();

// The real services of the running program.
class World
{
public:
    explicit World(std::string commandLine);
    Services services();

    SystemClock clock;
    QtClipboard clipboard;
    QtMessageBoxes messages;
    MessageBoxes* shownMessages = &messages;  // where the windows' message boxes go
    QtEventPump events;
    PosixProgramStarter programs;  // no shell, no PATH search: a browser path runs as given
    QtSettingsStore settings;
    QtFileDialogs fileDialogs;
    LinkStore store { clock };
    std::string programDir;
    std::string commandLine;
    bool newDatabase = false;  // start with a new database, not the one named or used last
};

}  // namespace brindlex
