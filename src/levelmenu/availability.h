#pragma once

#include "data/passcriteria.h"
#include "data/statistics.h"

#include <vector>

namespace kz {

// Whether one level's start button may be used.
struct LevelAvailability {
    bool enabled = false; // the start button answers clicks and keys
    bool locked = false;  // overdone: the button is covered by "やりすぎ禁止"
};

struct AvailabilityDecision {
    bool finalCleared = false;
    // Slots 0..levelCount; slot 0 is unused and stays disabled.
    std::vector<LevelAvailability> levels;

    // Out-of-range levels read as disabled and unlocked.
    LevelAvailability level(int number) const;
};

// Which start buttons of the level menu may be used by the student `bangou`.
//   - The final level counts as cleared when its pass-period points and attempts reach its
//     clearPoints and clearCount.
//   - Every level is open, except that a level L below levelCount is locked (overdone)
//     when the final level is not cleared and either limit of L is reached within the
//     overdoing period: overdoCount != 0 and attempts >= overdoCount, or overdoPoints != 0
//     and points >= overdoPoints. A limit of 0 means no limit of that kind.
//   - The last level is never examined; a lock never touches another level.
AvailabilityDecision decideLevelAvailability(const PassCriteriaTable& criteria,
                                             const StatisticsTables& statistics, int bangou, int levelCount,
                                             int finalLevel);

} // namespace kz
