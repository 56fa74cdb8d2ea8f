#include <cstdio>

#include "app/Startup.h"

int main(int argc, char** argv)
{
    if (!brindlex::displayAvailable()) {
        std::fprintf(stderr,
            "brindlex: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
            "Start it on a desktop, or set QT_QPA_PLATFORM (for example QT_QPA_PLATFORM=offscreen).\n");
        return 1;
    }
    return brindlex::runBrindlex(argc, argv);
}
