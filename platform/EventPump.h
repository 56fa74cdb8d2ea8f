#pragma once

namespace brindlex {

// "Let pending window events run": long core work calls this between steps so that
// the window stays responsive and progress texts appear.
class EventPump
{
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};

// For code that runs without a window (bdxtool, tests).
class NoEvents : public EventPump
{
public:
    void processEvents() override { }
};

}  // namespace brindlex
