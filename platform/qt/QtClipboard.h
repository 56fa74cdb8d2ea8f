#pragma once
#include "platform/Clipboard.h"

namespace brindlex {

// The system clipboard through QClipboard (its plain text).
class QtClipboard : public Clipboard
{
public:
    std::string text() const override;
    void setText(const std::string& text) override;
    void clear() override;
};

}  // namespace brindlex
