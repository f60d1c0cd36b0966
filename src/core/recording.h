#pragma once

#include "core/runstate.h"
#include "data/attemptrecording.h"
#include "data/statistics.h"

namespace kz {

class Clock;

// The recording step after every timed attempt, for the current student and the
// attempt that just ended (currentBangou, recordedTime, the installation's siteCode).
// On success clearedBefore is set, newPersonalBest / newSchoolBest are raised (never
// lowered: the end screen does that) and the best times are lowered in place. On a
// failure the run state is untouched; the caller shows the error and may call again.
Outcome<RecordedAttempt> Seisekikiroku(RunState& state, int level, const Clock& clock,
                                       const WaitFunction& wait = {});

// Rebuilds the statistics of the run state from the installation's results file as of
// the clock's now. On an error the caller shows its message and ends the program.
Status refreshStatistics(RunState& state, const Clock& clock, const WaitFunction& wait = {});

} // namespace kz
