#include "data/points.h"

#include <cmath>

namespace kz {

namespace {
__extension__ typedef __int128 Int128;

qint32 basePointsFor(qint64 t, qint64 target) {
    if (target <= 0 || t >= 99998)
        return 0;
    if (t <= target) {
        if (t < 0)
            t = 0;
        // ((T - t) / T)^3 x 50 + 5 in exact integer arithmetic: floor(50 (T-t)^3 / T^3) + 5.
        const qint64 d = target - t;
        // d and target are at most 2^31, so the cubes need 128 bits.
        const Int128 num = static_cast<Int128>(d) * d * d * 50;
        const Int128 den = static_cast<Int128>(target) * target * target;
        return static_cast<qint32>(num / den) + 5;
    }
    if (t < 2 * target)
        return 4;
    if (t < 10 * target)
        return 1;
    return 0;
}
} // namespace

AttemptPoints attemptPoints(qint32 recordedTime, const PassCriteria& criteria) {
    AttemptPoints p;
    p.basePoints = basePointsFor(recordedTime, criteria.targetTime);
    p.gainedPoints = criteria.pointMultiplier.floorTimes(p.basePoints);
    return p;
}

} // namespace kz
