#pragma once

// The program's wiring as tests and benchmarks use it. Header only: it needs the program's
// wiring library (kzapp), which only the whole-program tests and benchmarks link.

#include "app/appnavigator.h"
#include "core/recording.h"
#include "core/runstate.h"

namespace kz::test {

// The statistics refresh and the recording step on the run's own results file, waiting
// for a locked file with the screens alive: the program's data access without its retry
// notice and early paint.
inline AppNavigator::DataAccess directDataAccess(RunState& state, const Clock& clock) {
    AppNavigator::DataAccess data;
    data.refreshStatistics = [&state, &clock]() -> Status {
        return refreshStatistics(state, clock, waitKeepingScreensAlive);
    };
    data.recordAttempt = [&state, &clock]() -> Status {
        return recordingStatus(
            Seisekikiroku(state, state.attempt.currentLevel, clock, waitKeepingScreensAlive));
    };
    return data;
}

} // namespace kz::test
