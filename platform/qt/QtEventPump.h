#pragma once
#include "platform/EventPump.h"

namespace brindlex {

// Lets pending window events run (QCoreApplication::processEvents), without user input
// being replayed into half-finished work: input events are kept for later.
class QtEventPump : public EventPump
{
public:
    void processEvents() override;
};

}  // namespace brindlex
