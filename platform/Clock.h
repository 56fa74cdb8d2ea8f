#pragma once
#include "store/DateTime.h"

namespace brindlex {

// The wall clock. Injected so that tests control the date-time text of ids.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

// The real clock, in local time.
class SystemClock : public Clock
{
public:
    DateTime now() const override;
};

}  // namespace brindlex
