#pragma once

namespace kz {

struct PassCriteria;
class StatisticsTables;

// Whether the student reached either overdoing limit of the level within the overdoing
// period: overdoCount != 0 and attempts >= overdoCount, or overdoPoints != 0 and points
// >= overdoPoints. A limit of 0 means no limit of that kind.
bool overdone(const PassCriteria& limits, const StatisticsTables& statistics, int level, int bangou);

// Whether the level counts as cleared: the student's points and attempts within the pass
// period reach the level's clearPoints and clearCount.
bool clearedInPassPeriod(const PassCriteria& criteria, const StatisticsTables& statistics, int level,
                         int bangou);

} // namespace kz
