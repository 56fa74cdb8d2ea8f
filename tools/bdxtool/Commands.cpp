#include "tools/bdxtool/Commands.h"

#include "platform/Clock.h"
#include "store/LinkStore.h"

namespace brindlex::bdxtool {

namespace {

int inOwnStore(int (*command)(const std::vector<std::string>&, LinkStore&), const std::vector<std::string>& args)
{
    SystemClock clock;
    LinkStore store(clock);
    return command(args, store);
}

}  // namespace

int runInfo(const std::vector<std::string>& args)
{
    return inOwnStore(runInfo, args);
}

int runList(const std::vector<std::string>& args)
{
    return inOwnStore(runList, args);
}

int runImport(const std::vector<std::string>& args)
{
    return inOwnStore(runImport, args);
}

int runExport(const std::vector<std::string>& args)
{
    return inOwnStore(runExport, args);
}

}  // namespace brindlex::bdxtool
