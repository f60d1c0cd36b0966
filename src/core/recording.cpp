#include "core/recording.h"

#include "core/answerlogging.h"

#include "platform/clock.h"

namespace kz {

Outcome<RecordedAttempt> Seisekikiroku(RunState& state, int level, const Clock& clock,
                                       const WaitFunction& wait) {
    AttemptToRecord attempt;
    attempt.bangou = state.student.currentBangou;
    attempt.level = static_cast<qint16>(level);
    attempt.recordedTime = state.attempt.recordedTime;
    attempt.siteCode = state.settings.installation.siteCode;
    Outcome<RecordedAttempt> outcome =
        recordAttempt(state.settings.installation.resultsPath(), attempt, state.tables.criteria,
                      &state.tables.statistics, clock, wait);
    if (!outcome)
        return outcome;
    // The answers follow their record; a failure there is the companion check's to report
    // and never the student's to wait for.
    (void)logAttemptAnswers(state, outcome->append.written);
    state.attempt.clearedBefore = outcome->judgement.clearedBefore;
    if (outcome->judgement.newPersonalBest)
        state.attempt.newPersonalBest = true;
    if (outcome->judgement.newSchoolBest)
        state.attempt.newSchoolBest = true;
    return outcome;
}

Status refreshStatistics(RunState& state, const Clock& clock, const WaitFunction& wait) {
    // A refresh asked for while one waits for the file starts no second count: the
    // running one brings the figures.
    if (state.tables.statisticsRefreshRunning)
        return {};
    state.tables.statisticsRefreshRunning = true;
    Status error = refreshStatistics(state.settings.installation.resultsPath(), state.tables.criteria,
                                     clock.now(), &state.tables.statistics, wait);
    state.tables.statisticsRefreshRunning = false;
    return error;
}

} // namespace kz
