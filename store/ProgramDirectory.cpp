#include "store/ProgramDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace brindlex {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string programDirectory()
{
    std::string dir = environment("BRINDLEX_HOME");
    if (dir.empty()) {
        const std::string data = environment("XDG_DATA_HOME");
        if (!data.empty()) {
            dir = data + "/Tarnwell";
        } else {
            const std::string home = environment("HOME");
            dir = (home.empty() ? std::string(".") : home) + "/.local/share/Tarnwell";
        }
    }
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir;
}

std::string defaultDatabasePath()
{
    return programDirectory() + "/Brindlex.bdx";
}

bool defaultDatabaseExists()
{
    std::error_code ignored;
    return std::filesystem::is_regular_file(defaultDatabasePath(), ignored);
}

}  // namespace brindlex
