#pragma once
#include "platform/ProgramStarter.h"

namespace brindlex {

// Starts a program detached (QProcess::startDetached): no shell, not waited for.
class QtProgramStarter : public ProgramStarter
{
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace brindlex
