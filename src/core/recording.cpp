#include "core/recording.h"

#include "core/answerlogging.h"

#include "platform/clock.h"

namespace kz {

RecordingOutcome Seisekikiroku(RunState& state, int level, const Clock& clock, const WaitFunction& wait) {
    AttemptToRecord attempt;
    attempt.bangou = state.currentBangou;
    attempt.level = static_cast<qint16>(level);
    attempt.recordedTime = state.recordedTime;
    attempt.siteCode = state.installation.siteCode;
    const RecordingOutcome outcome = recordAttempt(state.installation.resultsPath(), attempt, state.criteria,
                                                   &state.statistics, clock, wait);
    if (!outcome.ok)
        return outcome;
    // The answers follow their record; a failure there is the companion check's to report
    // and never the student's to wait for.
    (void)logAttemptAnswers(state, outcome.append->written);
    state.clearedBefore = outcome.judgement.clearedBefore;
    if (outcome.judgement.newPersonalBest)
        state.newPersonalBest = 1;
    if (outcome.judgement.newSchoolBest)
        state.newSchoolBest = 1;
    return outcome;
}

Status refreshStatistics(RunState& state, const Clock& clock, const WaitFunction& wait) {
    // A refresh asked for while one waits for the file starts no second count: the
    // running one brings the figures.
    if (state.statisticsRefreshRunning)
        return {};
    state.statisticsRefreshRunning = true;
    Status error = refreshStatistics(state.installation.resultsPath(), state.criteria, clock.now(),
                                     &state.statistics, wait);
    state.statisticsRefreshRunning = false;
    return error;
}

} // namespace kz
