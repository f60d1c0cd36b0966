#include "data/levelrules.h"

#include "data/passcriteria.h"
#include "data/statistics.h"

namespace kz {

bool overdone(const PassCriteria& limits, const StatisticsTables& statistics, int level, int bangou) {
    const double attempts = statistics.overdoPeriodAttempts(level, bangou);
    const double points = statistics.overdoPeriodPoints(level, bangou);
    const bool byCount = limits.overdoCount != 0 && attempts >= limits.overdoCount;
    const bool byPoints = limits.overdoPoints != 0 && points >= limits.overdoPoints;
    return byCount || byPoints;
}

bool clearedInPassPeriod(const PassCriteria& criteria, const StatisticsTables& statistics, int level,
                         int bangou) {
    return statistics.passPeriodPoints(level, bangou) >= criteria.clearPoints &&
           statistics.passPeriodAttempts(level, bangou) >= criteria.clearCount;
}

} // namespace kz
