#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/LargePageHeap.h"
#include "store/LinkStore.h"
#include "tools/bdxtool/Commands.h"

namespace {

constexpr const char* Usage = "usage: bdxtool info DB\n"
                              "       bdxtool list DB [--folder PATH]\n"
                              "       bdxtool import FORMAT FILE... --into DB [--folder PATH]\n"
                              "       bdxtool import firefox|chromium PROFILE_OR_FILE... --into DB [--folder PATH]\n"
                              "       bdxtool export FORMAT OUT --from DB [--range 1|2|3] [--folder PATH]\n"
                              "       bdxtool send CLIENT URL\n"
                              "       bdxtool get CLIENT --into DB [--folder PATH]\n"
                              "FORMAT is one of bdx netscape mosaic spry spyglass url html; for url, OUT is a\n"
                              "directory that receives one shortcut file per link of the folder. A folder PATH\n"
                              "is \"\\\"-joined captions from the root caption down. CLIENT is a browser client\n"
                              "by name or service: \"Netscape Navigator\" or NETSCAPE (Firefox through the\n"
                              "Brindlex bridge), \"MS Internet Explorer\" or Iexplore (Chromium through the bridge),\n"
                              "\"Spyglass Mosaic\" or EMosaic, \"Spry Mosaic\" or SMosaic, \"NCSA Mosaic\" or\n"
                              "Mosaic.MosaicCCI. A browser link message makes the exit status 1. import firefox\n"
                              "and import chromium read a browser profile's bookmarks (its folder, or places.sqlite\n"
                              "or Bookmarks in it) into one folder named after the browser and the profile.\n";

// Runs one command in a store that is never freed: the process ends with the command,
// and the system takes its memory back at once, where freeing a model of a million
// entries piece by piece would take a good part of a second.
int run(int (*command)(const std::vector<std::string>&, brindlex::LinkStore&), const std::vector<std::string>& args)
{
    auto* clock = new brindlex::SystemClock;
    auto* store = new brindlex::LinkStore(*clock);
    int status = 1;
    try {
        status = command(args, *store);
    } catch (const std::bad_alloc&) {
        // The commands name the file they were reading; this is the last resort.
        std::cerr << "bdxtool: out of memory\n";
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}

}  // namespace

int main(int argc, char** argv)
{
    brindlex::restartWithLargePageHeap(argv);
    using namespace brindlex::bdxtool;
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty()) {
        std::cerr << Usage;
        return 2;
    }
    const std::vector<std::string> args(all.begin() + 1, all.end());
    const std::string& command = all[0];
    if (command == "help" || command == "--help" || command == "-h") {
        std::cout << Usage;
        return 0;
    }
    if (command == "info") {
        return run(runInfo, args);
    }
    if (command == "list") {
        return run(runList, args);
    }
    if (command == "import") {
        return run(runImport, args);
    }
    if (command == "export") {
        return run(runExport, args);
    }
    if (command == "send") {
        return runSend(args);
    }
    if (command == "get") {
        return runGet(args);
    }
    std::cerr << "bdxtool: unknown command " << command << " (try bdxtool help)\n";
    return 2;
}
