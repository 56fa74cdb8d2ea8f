#pragma once
#include <string>

namespace brindlex {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// Message boxes and the beep, as the core needs them. The desktop shows real boxes;
// tests record what was asked and answer from a script.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual Answer show(const std::string& title, const std::string& text, MessageIcon icon = MessageIcon::None,
        MessageButtons buttons = MessageButtons::Ok)
        = 0;
    virtual void beep() = 0;
};

}  // namespace brindlex
