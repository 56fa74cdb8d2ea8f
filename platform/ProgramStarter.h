#pragma once
#include <string>
#include <vector>

namespace brindlex {

// Starts a program without a shell and without waiting for it. Each argument reaches
// the program as one argument, whatever it contains.
class ProgramStarter
{
public:
    virtual ~ProgramStarter() = default;
    // Returns false when the program could not be started.
    virtual bool start(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

}  // namespace brindlex
