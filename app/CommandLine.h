#pragma once
#include <span>
#include <string>

#include "store/Result.h"

namespace brindlex {

// What the program was asked to do by its command line.
struct StartOptions
{
    enum class Action { Run, Help, Version };
    Action action = Action::Run;
    std::string database;  // the database to open; empty: the one used last
    bool newDatabase = false;  // start with a new, empty database instead
    bool import = false;  // run File > Import > Netscape Bookmarks once the window is up
    bool check = false;  // load, print what was loaded and end without showing a window
};

// Reads the program's arguments (without the program name):
//   brindlex [--new | --import] [DATABASE]
//   brindlex --check [DATABASE]
//   brindlex --help | --version
// "--" ends the options, so a database whose name begins with "-" can be named. An unknown
// option, a second database or options that contradict each other give a Usage error whose
// message is one line for standard error.
Result<StartOptions> parseCommandLine(std::span<const std::string> args);

// The text --help prints.
const char* commandLineHelp();

}  // namespace brindlex
