#pragma once
#include "platform/MessageBoxes.h"

class QWidget;

namespace brindlex {

// Real message boxes (QMessageBox) over the active window, and the system beep.
class QtMessageBoxes : public MessageBoxes
{
public:
    Answer show(const std::string& title, const std::string& text, MessageIcon icon = MessageIcon::None,
        MessageButtons buttons = MessageButtons::Ok) override;
    void beep() override;
};

}  // namespace brindlex
