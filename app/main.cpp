#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "platform/LargePageHeap.h"

int main(int argc, char** argv)
{
    brindlex::restartWithLargePageHeap(argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const brindlex::Result<brindlex::StartOptions> options = brindlex::parseCommandLine(args);
    if (!options.ok()) {
        std::fprintf(stderr, "%s\n", options.error().message.c_str());
        return 2;
    }
    switch (options.value().action) {
    case brindlex::StartOptions::Action::Help:
        std::fputs(brindlex::commandLineHelp(), stdout);
        return 0;
    case brindlex::StartOptions::Action::Version:
        std::printf("brindlex %s\n", BRINDLEX_VERSION);
        return 0;
    case brindlex::StartOptions::Action::Run:
        break;
    }
    if (!brindlex::displayAvailable()) {
        std::fprintf(stderr,
            "brindlex: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
            "Start it on a desktop, or set QT_QPA_PLATFORM (for example QT_QPA_PLATFORM=offscreen).\n");
        return 1;
    }
    return brindlex::runBrindlex(options.value(), argv[0]);
}
