#pragma once

#include "data/passcriteria.h"

namespace kz {

struct AttemptPoints {
    qint32 basePoints = 0;   // before the level's multiplier
    qint64 gainedPoints = 0; // floor(basePoints x pointMultiplier)
};

// Points of one attempt with recorded time t against the level's criteria:
//   t <= T: floor(((T - t) / T)^3 x 50 + 5); T < t < 2T: 4; 2T <= t < 10T: 1; else 0;
//   t >= 99998 (timed out): 0. A target time of 0 or less scores 0.
// The full recorded time is used (also for times of 1000 s and more), so the end
// screen and the statistics always agree.
AttemptPoints attemptPoints(qint32 recordedTime, const PassCriteria& criteria);

} // namespace kz
