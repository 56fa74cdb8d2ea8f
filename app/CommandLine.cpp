#include "app/CommandLine.h"

namespace brindlex {

namespace {

Error usageError(std::string message)
{
    return Error { ErrorKind::Usage, "brindlex: " + std::move(message) + " (try brindlex --help)" };
}

}  // namespace

Result<StartOptions> parseCommandLine(std::span<const std::string> args)
{
    StartOptions options;
    bool optionsEnded = false;
    bool haveDatabase = false;
    for (const std::string& arg : args) {
        if (arg.empty()) {
            continue;  // an empty %f of a launcher names nothing
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                optionsEnded = true;
            } else if (arg == "--help" || arg == "-h") {
                options.action = StartOptions::Action::Help;
            } else if (arg == "--version") {
                options.action = StartOptions::Action::Version;
            } else if (arg == "--new") {
                options.newDatabase = true;
            } else if (arg == "--import") {
                options.import = true;
            } else if (arg == "--check") {
                options.check = true;
            } else {
                return usageError("unknown option " + arg);
            }
            continue;
        }
        if (haveDatabase) {
            return usageError("one database at a time, not also " + arg);
        }
        options.database = arg;
        haveDatabase = true;
    }
    // Help and version answer whatever else was given.
    if (options.action != StartOptions::Action::Run) {
        return options;
    }
    if (options.newDatabase && haveDatabase) {
        return usageError("--new starts a new database; it cannot also open " + options.database);
    }
    if (options.check && options.import) {
        return usageError("--check shows no window, so it cannot --import");
    }
    return options;
}

const char* commandLineHelp()
{
    return "usage: brindlex [--new | --import] [DATABASE]\n"
           "       brindlex --check [DATABASE]\n"
           "       brindlex --help | --version\n"
           "Opens DATABASE (a .bdx file), else the database used last.\n"
           "  --new      start with a new, empty database\n"
           "  --import   open the import of a Netscape bookmark file (what browsers export)\n"
           "  --check    load the database and the window, print what was loaded and end;\n"
           "             exit status 1 if a message box would have been shown\n"
           "  --help     this text\n"
           "  --version  the program's version\n"
           "Environment: BRINDLEX_HOME the application folder (default ~/.local/share/Tarnwell),\n"
           "BRINDLEX_CONFIG the settings folder (default ~/.config/Tarnwell).\n";
}

}  // namespace brindlex
