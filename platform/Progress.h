#pragma once
#include <string>

namespace brindlex {

// Where a reader reports how far it got: the import window's progress bar and label.
class Progress
{
public:
    virtual ~Progress() = default;
    virtual void setValue(int value) = 0;
    virtual void setLabel(const std::string& text) = 0;
};

class NoProgress : public Progress
{
public:
    void setValue(int) override { }
    void setLabel(const std::string&) override { }
};

}  // namespace brindlex
