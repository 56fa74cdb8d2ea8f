#pragma once
#include <string>
#include <vector>

namespace brindlex {
class LinkStore;
}

namespace brindlex::bdxtool {

// Each command takes the arguments after its name and an empty store to work in, and
// returns the exit status: 0 success, 1 bad input (a one-line message on standard
// error), 2 usage error. The caller decides when the model is freed: bdxtool itself
// ends the process with it.
int runInfo(const std::vector<std::string>& args, LinkStore& store);
int runList(const std::vector<std::string>& args, LinkStore& store);
int runImport(const std::vector<std::string>& args, LinkStore& store);
int runExport(const std::vector<std::string>& args, LinkStore& store);

// The same, each in a store of its own on the system clock, freed when it returns.
int runInfo(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runImport(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
// The browser link of the window: send a URL to a running browser, or capture the page
// it shows into a database.
int runSend(const std::vector<std::string>& args);
int runGet(const std::vector<std::string>& args);

}  // namespace brindlex::bdxtool
