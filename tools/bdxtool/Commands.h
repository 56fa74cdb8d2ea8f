#pragma once
#include <string>
#include <vector>

namespace brindlex::bdxtool {

// Each command takes the arguments after its name and returns the exit status:
// 0 success, 1 bad input (a one-line message on standard error), 2 usage error.
int runInfo(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runImport(const std::vector<std::string>& args);
int runExport(const std::vector<std::string>& args);
// The browser link of the window: send a URL to a running browser, or capture the page
// it shows into a database.
int runSend(const std::vector<std::string>& args);
int runGet(const std::vector<std::string>& args);

}  // namespace brindlex::bdxtool
