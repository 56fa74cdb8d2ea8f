#pragma once
#include <functional>
#include <string>

#include "platform/Platform.h"

namespace brindlex {

class FileDialogs;
class LinkStore;
class SettingsStore;

// Everything the windows are built from. app/ makes the real one; a test makes its own
// from fakes. The windows only observe these objects, which outlive them.
struct Services
{
    LinkStore& store;
    Platform platform;
    SettingsStore& settings;
    FileDialogs& fileDialogs;
    std::string programDir;  // the application directory: default database, NewDB.BDX, manual
    std::string commandLine;  // the database named when the program was started, or empty
    bool newDatabase = false;  // started to make a new database: nothing is loaded
    // Whether the desktop shows a system tray now. Empty: asked of Qt
    // (QSystemTrayIcon::isSystemTrayAvailable); a test chooses its own answer.
    std::function<bool()> trayAvailable;
};

}  // namespace brindlex
