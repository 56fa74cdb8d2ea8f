#pragma once

namespace brindlex {

// The start-up routine: splash window, program font, main window; then the event loop.
// Returns the program's exit status.
int runBrindlex(int argc, char** argv);

// Whether a display is there to show windows on (or a Qt platform was chosen), so the
// program can say so plainly instead of aborting.
bool displayAvailable();

}  // namespace brindlex
