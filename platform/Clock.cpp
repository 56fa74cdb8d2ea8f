#include "platform/Clock.h"

#include <ctime>

namespace brindlex {

DateTime SystemClock::now() const
{
    const std::time_t t = std::time(nullptr);
    if (static_cast<long long>(t) != m_second) {
        std::tm tm {};
        localtime_r(&t, &tm);
        m_local = DateTime { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, true };
        m_second = static_cast<long long>(t);
    }
    return m_local;
}

}  // namespace brindlex
