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

// The real clock, in local time. The local time of a second is worked out once: an
// import asks for the time of every entry it makes, and reading the seconds is far
// cheaper than converting them.
class SystemClock : public Clock
{
public:
    DateTime now() const override;

private:
    mutable long long m_second = -1;  // the seconds since the epoch m_local was made from
    mutable DateTime m_local;
};

}  // namespace brindlex
