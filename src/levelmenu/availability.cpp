#include "levelmenu/availability.h"

#include "core/runstate.h"

namespace kz {

namespace {

// A row of the table; levels outside the table read as an empty row (no limits).
const PassCriteria& criteriaOf(const PassCriteriaTable& table, int level) {
    static const PassCriteria empty;
    if (level < 1 || level >= PassCriteriaTable::kSlots)
        return empty;
    return table.rows[static_cast<size_t>(level)];
}

bool overdone(const PassCriteria& limits, const StatisticsTables& statistics, int level, int bangou) {
    const double attempts = statistics.overdoPeriodAttempts(level, bangou);
    const double points = statistics.overdoPeriodPoints(level, bangou);
    const bool byCount = limits.overdoCount != 0 && attempts >= limits.overdoCount;
    const bool byPoints = limits.overdoPoints != 0 && points >= limits.overdoPoints;
    return byCount || byPoints;
}

} // namespace

LevelAvailability AvailabilityDecision::level(int number) const {
    if (number < 0 || static_cast<size_t>(number) >= levels.size())
        return {};
    return levels[static_cast<size_t>(number)];
}

AvailabilityDecision decideLevelAvailability(const PassCriteriaTable& criteria,
                                             const StatisticsTables& statistics, int bangou, int levelCount,
                                             int finalLevel) {
    AvailabilityDecision decision;
    const PassCriteria& finalRow = criteriaOf(criteria, finalLevel);
    decision.finalCleared = statistics.passPeriodPoints(finalLevel, bangou) >= finalRow.clearPoints &&
                            statistics.passPeriodAttempts(finalLevel, bangou) >= finalRow.clearCount;

    if (levelCount < 1)
        return decision;
    decision.levels.assign(static_cast<size_t>(levelCount) + 1, LevelAvailability{});
    for (int level = 1; level <= levelCount; ++level)
        decision.levels[static_cast<size_t>(level)].enabled = true;
    if (decision.finalCleared)
        return decision;
    for (int level = 1; level < levelCount; ++level) {
        if (overdone(criteriaOf(criteria, level), statistics, level, bangou)) {
            LevelAvailability& slot = decision.levels[static_cast<size_t>(level)];
            slot.enabled = false;
            slot.locked = true;
        }
    }
    return decision;
}

AvailabilityDecision decideLevelAvailability(RunState& state) {
    AvailabilityDecision decision = decideLevelAvailability(
        state.criteria, state.statistics, state.currentBangou, state.levelCount, state.finalLevel);
    state.finalCleared = decision.finalCleared ? 1 : 0;
    return decision;
}

} // namespace kz
