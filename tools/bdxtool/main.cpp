#include <iostream>
#include <string>
#include <vector>

#include "tools/bdxtool/Commands.h"

int main(int argc, char** argv)
{
    using namespace brindlex::bdxtool;
    const std::vector<std::string> all(argv + 1, argv + argc);
    if (all.empty()) {
        std::cerr << "usage: bdxtool info|list|import|export ...\n";
        return 2;
    }
    const std::vector<std::string> args(all.begin() + 1, all.end());
    const std::string& command = all[0];
    if (command == "info") {
        return runInfo(args);
    }
    if (command == "list") {
        return runList(args);
    }
    if (command == "import") {
        return runImport(args);
    }
    if (command == "export") {
        return runExport(args);
    }
    std::cerr << "bdxtool: unknown command " << command << "\n";
    return 2;
}
