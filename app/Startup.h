#pragma once
#include <string>

namespace brindlex {

class LinkStore;
class frmTarnwell;
struct StartOptions;

// The start-up routine: splash window, program font, main window; then the event loop
// (with --check: a line saying what was loaded instead). `program` is argv[0]; Qt is given
// no other argument, so the whole command line is the program's own. Returns the exit status.
int runBrindlex(const StartOptions& options, char* program);

// The application's names (they place the settings file), version, desktop entry and
// icon. Window titles stay exactly as each window sets them.
void configureApplication();

// Whether a display is there to show windows on (or a Qt platform was chosen), so the
// program can say so plainly instead of aborting.
bool displayAvailable();

// What a start asked for once the window has loaded: --import opens the Netscape
// bookmark import as soon as the event loop runs.
void runStartActions(frmTarnwell& window, const StartOptions& options);

// The line --check prints: the database, its folders and entries, and the folder nodes the
// window's tree was built with.
std::string loadedSummary(const frmTarnwell& window, const LinkStore& store);

}  // namespace brindlex
