#include "levelmenu/availability.h"

#include "data/levelrules.h"

namespace kz {

LevelAvailability AvailabilityDecision::level(int number) const {
    if (number < 0 || static_cast<size_t>(number) >= levels.size())
        return {};
    return levels[static_cast<size_t>(number)];
}

AvailabilityDecision decideLevelAvailability(const PassCriteriaTable& criteria,
                                             const StatisticsTables& statistics, int bangou, int levelCount,
                                             int finalLevel) {
    AvailabilityDecision decision;
    const PassCriteria& finalRow = criteria.level(finalLevel);
    decision.finalCleared = clearedInPassPeriod(finalRow, statistics, finalLevel, bangou);

    if (levelCount < 1)
        return decision;
    decision.levels.assign(static_cast<size_t>(levelCount) + 1, LevelAvailability{});
    for (int level = 1; level <= levelCount; ++level)
        decision.levels[static_cast<size_t>(level)].enabled = true;
    if (decision.finalCleared)
        return decision;
    for (int level = 1; level < levelCount; ++level) {
        if (overdone(criteria.level(level), statistics, level, bangou)) {
            LevelAvailability& slot = decision.levels[static_cast<size_t>(level)];
            slot.enabled = false;
            slot.locked = true;
        }
    }
    return decision;
}

} // namespace kz
