#include "platform/randomsource.h"

#include "platform/clock.h"

#include <algorithm>
#include <cmath>

namespace kz {

double SystemRandom::next() {
    std::uniform_real_distribution<double> dist(0.0, 1.0);
    double v = dist(engine_);
    return v >= 1.0 ? std::nextafter(1.0, 0.0) : v;
}

RandomSource& systemRandom() {
    static SystemRandom random;
    return random;
}

int pickOneBased(double r, int count) {
    if (count <= 0)
        return 0;
    if (!(r >= 0.0)) // also catches NaN
        r = 0.0;
    const int i = static_cast<int>(std::floor(r * count + 1.0));
    return std::clamp(i, 1, count);
}

void seedFromClock(RandomSource& random, const Clock& clock) {
    random.seed(static_cast<quint32>(std::floor(clock.secondsSinceMidnight())));
}

} // namespace kz
