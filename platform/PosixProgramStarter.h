#pragma once
#include <string>
#include <vector>

#include "platform/ProgramStarter.h"

namespace brindlex {

// Starts programs with fork and exec: no shell, no search of PATH, every argument
// passed as it stands. The program is not waited for; it is detached (its parent is a
// short-lived intermediate process), so no zombie is left behind. A program that
// cannot be executed (missing, not executable) is reported as a failed start.
class PosixProgramStarter : public ProgramStarter
{
public:
    bool start(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace brindlex
