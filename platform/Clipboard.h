#pragma once
#include <string>

namespace brindlex {

// The system clipboard, text format only (UTF-8).
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void clear() = 0;
};

}  // namespace brindlex
