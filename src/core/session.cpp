#include "core/session.h"

#include <cmath>

namespace kz {

int minutesSinceSessionStart(qint32 sessionStartSeconds, double nowSecondsSinceMidnight) {
    constexpr qint64 kDay = 86400;
    if (!std::isfinite(nowSecondsSinceMidnight))
        return 0;
    qint64 elapsed = static_cast<qint64>(std::floor(nowSecondsSinceMidnight)) - sessionStartSeconds;
    if (elapsed < 0)
        elapsed = elapsed > -kDay / 2 ? 0 : elapsed + kDay;
    if (elapsed < 0) // a start that is no time of day at all
        elapsed = 0;
    return static_cast<int>(elapsed / 60);
}

} // namespace kz
